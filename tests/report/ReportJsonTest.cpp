#include "report/CJsonObject.h"

#include <gtest/gtest.h>

#include <cctype>

#include "report/ReportFormat.h"
#include "report/ReportPoster.h"

namespace orvane {
namespace {

TEST(ReportJsonTest, BuildsCompactObjectsInKeyOrder) {
  CJsonObject json;
  EXPECT_TRUE(json.IsEmpty());
  EXPECT_EQ(json.ToString(), "");
  EXPECT_TRUE(json.Add("version", 1015));
  EXPECT_TRUE(json.Add("b", std::string("x \"quoted\"")));
  EXPECT_TRUE(json.Add("a", "ü"));
  CJsonObject nested;
  nested.Add("res", 1);
  EXPECT_TRUE(json.Add("nested", nested));
  nested.Add("later", 2);  // the attached copy does not change
  EXPECT_FALSE(json.IsEmpty());
  EXPECT_EQ(json.ToString(), R"({"version":1015,"b":"x \"quoted\"","a":"ü","nested":{"res":1}})");
}

TEST(ReportJsonTest, ArraysAndTheirErrors) {
  CJsonObject item;
  item.Add("invalid", 1);
  CJsonObject array;
  EXPECT_TRUE(array.AddArrayItem(item));
  EXPECT_TRUE(array.AddArrayItem(item));
  EXPECT_EQ(array.ToString(), R"([{"invalid":1},{"invalid":1}])");
  EXPECT_FALSE(array.Add("key", 1));
  EXPECT_EQ(array.GetErrMsg(), "not a json object! json array?");

  CJsonObject object;
  object.Add("key", 1);
  EXPECT_FALSE(object.AddArrayItem(item));
  EXPECT_EQ(object.GetErrMsg(), "not a json array! json object?");

  CJsonObject empty;
  EXPECT_FALSE(object.Add("nothing", empty));
  EXPECT_EQ(object.GetErrMsg(), "json data is null!");
}

TEST(ReportJsonTest, ParseAndGet) {
  CJsonObject json(R"({"result":{"res":true,"n":1},"flag":false})");
  ASSERT_FALSE(json.IsEmpty());
  CJsonObject result;
  ASSERT_TRUE(json.Get("result", result));
  EXPECT_EQ(result.ToString(), R"({"res":true,"n":1})");
  bool value = false;
  EXPECT_TRUE(result.Get("res", value));
  EXPECT_TRUE(value);
  EXPECT_TRUE(json.Get("flag", value));
  EXPECT_FALSE(value);
  value = true;
  EXPECT_FALSE(result.Get("n", value));  // a number is not a boolean
  EXPECT_TRUE(value);
  EXPECT_FALSE(result.Get("missing", value));
  EXPECT_FALSE(json.Get("missing", result));

  EXPECT_FALSE(json.Parse(R"({"a":1,})"));
  EXPECT_TRUE(json.IsEmpty());
  EXPECT_EQ(json.GetErrMsg().rfind("prase json string error at ", 0), 0u) << json.GetErrMsg();
  EXPECT_NE(json.GetErrMsg().find("}"), std::string::npos) << json.GetErrMsg();
}

TEST(ReportJsonTest, CopiesAreIndependent) {
  CJsonObject first;
  first.Add("a", 1);
  CJsonObject second = first;
  second.Add("b", 2);
  EXPECT_EQ(first.ToString(), R"({"a":1})");
  EXPECT_EQ(second.ToString(), R"({"a":1,"b":2})");
  CJsonObject moved = std::move(second);
  EXPECT_EQ(moved.ToString(), R"({"a":1,"b":2})");
}

TEST(ReportReplyTest, OnlyATrueResConfirms) {
  const std::pair<const char*, bool> cases[] = {
      {R"({"result":{"res":true}})", true},
      {R"({"result":{"res":true},"more":1})", true},
      {R"({"result":{"res":1}})", false},
      {R"({"result":{"res":"true"}})", false},
      {R"({"result":{"res":false}})", false},
      {R"({"result":{}})", false},
      {R"({"res":true})", false},
      {R"({"result":true})", false},
      {"thank you", false},
      {"", false},
  };
  for (const auto& [reply, confirms] : cases) EXPECT_EQ(IsConfirmingReply(reply), confirms) << reply;
}

TEST(ReportFormatTest, Durations) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {3725, "01:02:05"}, {0, "00:00:00"}, {59, "00:00:59"}, {360000, "100:00:00"}, {-1, ""},
  };
  for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatDuration(seconds), text) << seconds;
}

TEST(ReportFormatTest, ByteSizes) {
  const std::pair<std::int64_t, const char*> cases[] = {
      {1048576, "1024.00KB"}, {1048577, "1.00MB"}, {1024, "1024Byte"}, {1025, "1.00KB"},
      {0, "0Byte"},           {-5, "-5Byte"},      {3145728 + 524288, "3.50MB"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(FormatByteSize(bytes), text) << bytes;
}

TEST(ReportFormatTest, LocalTimeShape) {
  const std::string text = FormatLocalTime();
  const std::string shape = "dddd-dd-dd_dd:dd:dd";
  ASSERT_EQ(text.size(), shape.size()) << text;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    if (shape[i] == 'd') {
      EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(text[i]))) << text;
    } else {
      EXPECT_EQ(text[i], shape[i]) << text;
    }
  }
}

}  // namespace
}  // namespace orvane
