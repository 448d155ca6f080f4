#include "ui/LanguageTables.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

namespace orvane {
namespace {

constexpr std::int32_t kLastId = 51;

std::map<std::int32_t, std::string> Resolve(LanguageTable table) {
  std::map<std::int32_t, std::string> texts;
  for (const TextEntry& row : table) texts[row.id] = row.text;
  return texts;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

const UiLanguage kTranslated[] = {
    UiLanguage::SimplifiedChinese, UiLanguage::TraditionalChinese, UiLanguage::Czech,     UiLanguage::German,
    UiLanguage::Spanish,           UiLanguage::French,             UiLanguage::Hungarian, UiLanguage::Italian,
    UiLanguage::Japanese,          UiLanguage::Dutch,              UiLanguage::Norwegian, UiLanguage::Polish,
    UiLanguage::Portuguese,        UiLanguage::Russian,            UiLanguage::Swedish,
};

// (language, id) pairs below 33 whose translation is the English word itself.
const std::set<std::pair<UiLanguage, std::int32_t>> kSameWordAsEnglish = {
    {UiLanguage::Czech, 11},      {UiLanguage::German, 11},     {UiLanguage::French, 11},
    {UiLanguage::Hungarian, 11},  {UiLanguage::Italian, 11},    {UiLanguage::Japanese, 11},
    {UiLanguage::Dutch, 11},      {UiLanguage::Norwegian, 11},  {UiLanguage::Polish, 11},
    {UiLanguage::Portuguese, 11}, {UiLanguage::Swedish, 11},    {UiLanguage::Spanish, 20},
    {UiLanguage::Italian, 20},    {UiLanguage::Norwegian, 9},   // "Start" is Norwegian too
};

TEST(LanguageTablesTest, EnglishHasEachIdOnceInOrder) {
  std::int32_t expected = 0;
  for (const TextEntry& row : EnglishTexts()) EXPECT_EQ(row.id, expected++);
  EXPECT_EQ(expected, kLastId + 1);
}

TEST(LanguageTablesTest, TranslationsHoldTheirIdsInEnglishOrder) {
  for (UiLanguage language : kTranslated) {
    const LanguageProfile& profile = ProfileOf(language);
    const auto texts = Resolve(profile.table());
    const std::int32_t last = language == UiLanguage::Norwegian ? 49 : kLastId;
    EXPECT_EQ(texts.size(), static_cast<std::size_t>(last + 1)) << profile.name;
    EXPECT_EQ(texts.rbegin()->first, last) << profile.name;
    EXPECT_EQ(texts.begin()->first, 0) << profile.name;

    std::int32_t previous = -1;
    for (const TextEntry& row : profile.table()) {
      const bool portugueseRepeat = language == UiLanguage::Portuguese && (row.id == 39 || row.id == 40);
      if (!portugueseRepeat) {
        EXPECT_GT(row.id, previous) << profile.name << " id " << row.id;
      }
      previous = row.id;
    }
  }
}

TEST(LanguageTablesTest, PortugueseListsIds39And40TwiceEnglishFirst) {
  std::vector<std::int32_t> ids;
  for (const TextEntry& row : PortugueseTexts()) {
    if (row.id == 39 || row.id == 40) ids.push_back(row.id);
  }
  EXPECT_EQ(ids, (std::vector<std::int32_t>{39, 40, 39, 40}));
  const auto english = Resolve(EnglishTexts());
  const auto texts = Resolve(PortugueseTexts());
  EXPECT_NE(texts.at(39), english.at(39));
  EXPECT_NE(texts.at(40), english.at(40));
}

TEST(LanguageTablesTest, ShownTextsAreTranslated) {
  const auto english = Resolve(EnglishTexts());
  for (UiLanguage language : kTranslated) {
    const auto texts = Resolve(ProfileOf(language).table());
    for (std::int32_t id = 0; id <= 32; ++id) {
      if (kSameWordAsEnglish.count({language, id}) != 0) continue;
      EXPECT_NE(texts.at(id), english.at(id)) << ProfileOf(language).name << " id " << id;
    }
  }
}

TEST(LanguageTablesTest, PlaceholdersAndHostStayWhereTheyBelong) {
  const std::string hostEnd = std::string(ORVANE_WEB_HOST) + ".";
  std::vector<UiLanguage> all(std::begin(kTranslated), std::end(kTranslated));
  all.push_back(UiLanguage::English);
  for (UiLanguage language : all) {
    const char* name = ProfileOf(language).name;
    const auto texts = Resolve(ProfileOf(language).table());
    EXPECT_NE(texts.at(13).find("__PRODUCT_NAME__"), std::string::npos) << name;
    EXPECT_EQ(Count(texts.at(49), "XXX"), 1u) << name;
    EXPECT_TRUE(EndsWith(texts.at(41), hostEnd)) << name << ": " << texts.at(41);
    EXPECT_TRUE(EndsWith(texts.at(42), hostEnd)) << name << ": " << texts.at(42);
    for (std::int32_t id : {46, 47}) {
      EXPECT_NE(texts.at(id).find("__PRODUCT_NAME__"), std::string::npos) << name << " id " << id;
    }
  }
  EXPECT_EQ(Count(Resolve(JapaneseTexts()).at(13), "__PRODUCT_NAME__"), 2u);
  EXPECT_EQ(Count(Resolve(SwedishTexts()).at(13), "__PRODUCT_NAME__"), 2u);
}

struct TellingRow {
  LanguageTable (*table)();
  std::int32_t id;
  const char* text;
};

TEST(LanguageTablesTest, TellingRowsAreExact) {
  const TellingRow rows[] = {
      {&SimplifiedChineseTexts, 0, "快速安装"},
      {&SimplifiedChineseTexts, 49, "安装将在XXX秒后自动开始。"},
      {&GermanTexts, 0, "Installieren"},
      {&GermanTexts, 9, "sofort starten"},
      {&GermanTexts, 49, "Die Installation startet automatisch in XXX Sekunden."},
      {&FrenchTexts, 0, "Cliquez pour installer"},
      {&JapaneseTexts, 13,
       "__PRODUCT_NAME__が動作していることを検出しますので、インストールができません。__PRODUCT_NAME__を終了した後「再試行」又は「強制退出」してください。"},
      {&RussianTexts, 9, "Запустить __PRODUCT_NAME__"},
      {&EnglishTexts, 9, "Start __PRODUCT_NAME__"},
      {&EnglishTexts, 49, "Installation will start automatically in XXX seconds."},
      {&EnglishTexts, 41, "Download failed, please retry or download the offline installer from " ORVANE_WEB_HOST "."},
  };
  for (const TellingRow& row : rows) {
    EXPECT_EQ(Resolve(row.table()).at(row.id), row.text) << "id " << row.id;
  }
}

}  // namespace
}  // namespace orvane
