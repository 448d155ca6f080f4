#include "app/ProductInfo.h"

#include <gtest/gtest.h>

#include "app/ProductConstants.h"
#include "app/StartupSettings.h"

namespace orvane {
namespace {

struct ProfileCase {
  int variant;
  const char* appId;
  const char* displayName;
  bool isX64;
  int logo;
  int altLogo;
};

void PrintTo(const ProfileCase& c, std::ostream* out) { *out << "variant " << c.variant; }

class ProductInfoTest : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProductInfoTest, VariantValues) {
  const ProfileCase& c = GetParam();
  std::shared_ptr<IProductInfo> profile;
  ASSERT_EQ(CreateProductInfo(profile, c.variant), S_OK);
  ASSERT_TRUE(profile);
  EXPECT_STREQ(profile->GetAppId(), c.appId);
  EXPECT_STREQ(profile->GetDisplayName(), c.displayName);
  EXPECT_EQ(profile->IsX64(), c.isX64);
  EXPECT_EQ(profile->GetLogoBitmapId(), c.logo);
  EXPECT_EQ(profile->GetAltLogoBitmapId(), c.altLogo);
  EXPECT_STREQ(profile->GetProductGuid(), "{7A3C19E4-52D0-4B8F-A6E1-0D94C2B7F315}");
  EXPECT_STREQ(profile->GetFullName(), "Lumtar Orvane");
  EXPECT_STREQ(profile->GetProductName(), "Lumtar Orvane");
  EXPECT_STREQ(profile->GetKeyName(), "Orvane");
  EXPECT_STREQ(profile->GetVersion(), "1.0.0.0");
  EXPECT_STRNE(profile->GetPublisher(), "");
  // Empty texts are empty strings, never null pointers.
  ASSERT_NE(profile->GetUrl(), nullptr);
  ASSERT_NE(profile->GetAuxText(), nullptr);
  ASSERT_NE(profile->GetVersionLabel(), nullptr);
  EXPECT_STREQ(profile->GetUrl(), "");
  EXPECT_STREQ(profile->GetAuxText(), "");
  EXPECT_STREQ(profile->GetVersionLabel(), "");
}

INSTANTIATE_TEST_SUITE_P(Variants, ProductInfoTest,
                         ::testing::Values(ProfileCase{1, "LumtarOrvane_x64", "Orvane (x64)", true, 187, 188},
                                           ProfileCase{0, "LumtarOrvane", "Orvane", false, 138, 139},
                                           ProfileCase{2, "LumtarOrvane", "Orvane", false, 138, 139}));

TEST(ProductProfileTest, GetProductInfoIsOneSixtyFourBitObject) {
  IProductInfo* first = GetProductInfo().get();
  IProductInfo* second = GetProductInfo().get();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_TRUE(first->IsX64());
}

TEST(ProductProfileTest, ConstantsAndAddresses) {
  EXPECT_EQ(ProductFolderPath(), "Lumtar/Orvane");
  EXPECT_EQ(ProductProcessNames(), (std::vector<std::string>{"liveUpdate.exe", "Lumtar Orvane.exe"}));
  EXPECT_STREQ(kMainExeNameX64, "Lumtar Orvane.exe");
  const std::string finish = kFinishPageUrlX64;
  EXPECT_EQ(finish.rfind("https://", 0), 0u);
  EXPECT_NE(finish.find("/thankyou.htm?ad=orvane_client_thankyou&s=orvane_client&downloadmode=1&v="),
            std::string::npos);
  EXPECT_EQ(finish.substr(finish.size() - 2), "v=");
  EXPECT_EQ(std::string(kLicenceUrl).rfind("http://", 0), 0u);
  EXPECT_EQ(std::string(kHomePageUrl).find("/?s=orvane_client&ad=orvane_client&v="),
            std::string("https://").size() + std::string(kWebSiteHost).size());
}

TEST(ProductProfileTest, StatsHostFollowsStartupSettings) {
  EXPECT_EQ(StartReportUrl(), std::string("http://") + kDefaultStatsHost + "/api/install/online.php");
  MutableStartupSettings().statsHost = "127.0.0.1:8123";
  EXPECT_EQ(StartReportUrl(), "http://127.0.0.1:8123/api/install/online.php");
  EXPECT_EQ(LogReportUrl(), "http://127.0.0.1:8123/api/install/index_log.php");
  MutableStartupSettings().statsHost.clear();
}

}  // namespace
}  // namespace orvane
