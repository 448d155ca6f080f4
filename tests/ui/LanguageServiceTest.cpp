#include "ui/LanguageService.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/ProductConstants.h"
#include "tests/support/TempHome.h"
#include "tests/support/LogCapture.h"

namespace orvane {
namespace {

const char* EnglishText(std::int32_t id) {
  for (const TextEntry& row : EnglishTexts()) {
    if (row.id == id) return row.text;
  }
  return nullptr;
}

std::string Expand(const char* text, const std::string& name = kProductFullName) {
  return ReplaceAll(text, kProductNamePlaceholder, name);
}

class LanguageServiceTest : public ::testing::Test {
 protected:
  test::TempHome home;
  test::LogCapture log;
  LanguageService service;
};

struct ChoiceCase {
  std::uint16_t languageId;
  const char* text0;  // what id 0 shows
  const char* logLine;
  const char* name;
};

void PrintTo(const ChoiceCase& row, std::ostream* out) { *out << "langid_" << row.languageId; }

class LanguageChoiceTest : public LanguageServiceTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(LanguageChoiceTest, ChoosesTableLogLineAndName) {
  const ChoiceCase& row = GetParam();
  EXPECT_TRUE(service.LoadLanguage(kProductFullName, row.languageId));
  EXPECT_EQ(service.GetText(0), row.text0);
  EXPECT_EQ(service.GetLanguageName(), row.name);
  EXPECT_TRUE(test::LogCapture::HasLine(row.logLine)) << "log has no line " << row.logLine;
}

INSTANTIATE_TEST_SUITE_P(
    LanguageIds, LanguageChoiceTest,
    ::testing::Values(
        ChoiceCase{0x0407, "Installieren", "Language is DE(DeGuo), id = 1031", "German"},
        ChoiceCase{0x0C07, "Installieren", "Language is DE(DeGuo), id = 3079", "German"},
        ChoiceCase{0x0804, "快速安装", "Language is CHS(JianTi), id = 2052", "Chinese(Simplified)"},
        ChoiceCase{0x0404, "快速安裝", "Language is ZH(FanTi), id = 1028", "Chinese(Traditional)"},
        ChoiceCase{0x0C04, "快速安裝", "Language is ZH(FanTi), id = 3076", "Chinese(Traditional)"},
        ChoiceCase{0x1004, "快速安裝", "Language is ZH(FanTi), id = 4100", "Chinese(Traditional)"},
        ChoiceCase{0x0403, "Haga clic para instalar", "Language is CATALA(XiBanYa), id = 1027", "Spanish"},
        ChoiceCase{0x0C0A, "Haga clic para instalar", "Language is SPANISH(XiBanYa), id = 3082", "Spanish"},
        ChoiceCase{0x0409, "Click to Install", "Language is EN, id = 1033", "English"},
        ChoiceCase{0x041A, "Click to Install", "Language is EN, id = 1050", "English"},
        ChoiceCase{0x0002, "Click to Install", "Language is EN, id = 2", "English"},
        ChoiceCase{0x040C, "Cliquez pour installer", "Language is FR(FaGuo), id = 1036", "French"},
        ChoiceCase{0x0411, "インストール", "Language is JP(RiBen), id = 1041", "Japanese"},
        ChoiceCase{0x0414, "Klikk for å installere", "Language is NO(NuoWei), id = 1044", "Norwegian"},
        ChoiceCase{0x0416, "Clique para instalar", "Language is PT(PuTaoYa), id = 1046", "Portuguese"},
        ChoiceCase{0x0419, "Установить", "Language is RU(ErLuoSi), id = 1049", "Russian"},
        ChoiceCase{0x041D, "Klicka för att installera", "Language is SVE(RuiDian), id = 1053", "Swedish"}));

TEST_F(LanguageServiceTest, ZeroTakesTheSystemLanguage) {
  home.SetEnv("LC_ALL", "de_AT.UTF-8");
  service.LoadLanguage(kProductFullName, 0);
  EXPECT_EQ(service.GetText(0), "Installieren");
  EXPECT_TRUE(test::LogCapture::HasLine("Language is DE(DeGuo), id = 3079"));
}

TEST_F(LanguageServiceTest, DebugSettingOverridesTheLanguageButNotTheSystemCheck) {
  home.SetEnv("LC_ALL", "de_DE.UTF-8");
  test::WriteWholeFile(home.Home() + "/Documents/LumDebugConfig.ini", "[root]\nsetup_test_language=1041\n");
  service.LoadLanguage(kProductFullName, 0x0407);
  EXPECT_EQ(service.GetText(0), "インストール");
  EXPECT_EQ(service.GetLanguageName(), "Japanese");
  EXPECT_TRUE(test::LogCapture::HasLine("Language is JP(RiBen), id = 1041"));
  EXPECT_FALSE(IsJapaneseSystem());

  home.SetEnv("LC_ALL", "ja_JP.UTF-8");
  EXPECT_TRUE(IsJapaneseSystem());
}

TEST_F(LanguageServiceTest, ZeroDebugSettingLeavesTheSystemLanguage) {
  home.SetEnv("LC_ALL", "fr_FR.UTF-8");
  test::WriteWholeFile(home.Home() + "/Documents/LumDebugConfig.ini", "[root]\nsetup_test_language=0\n");
  service.LoadLanguage(kProductFullName, 0);
  EXPECT_EQ(service.GetText(0), "Cliquez pour installer");
}

TEST_F(LanguageServiceTest, NorwegianFallsBackToEnglishAfterId49) {
  service.LoadLanguage(kProductFullName, 0x0414);
  EXPECT_EQ(service.GetText(0), "Klikk for å installere");
  EXPECT_EQ(service.GetText(1), "Tilpass");
  EXPECT_EQ(service.GetText(49), "Installasjonen starter automatisk om XXX sekunder.");
  EXPECT_EQ(service.GetText(50), "Downloading setup file...");
  EXPECT_EQ(service.GetText(51), "official");
}

TEST_F(LanguageServiceTest, PortugueseLaterRowsWin) {
  service.LoadLanguage(kProductFullName, 0x0816);
  EXPECT_EQ(service.GetText(39),
            "Você precisa reiniciar o computador para instalar a nova versão. Tem certeza de que deseja continuar?");
  EXPECT_EQ(service.GetText(40), "Reiniciar agora");
  EXPECT_EQ(service.GetText(50), "Baixando arquivo de instalação...");
  EXPECT_EQ(service.GetText(51), "oficial");
}

TEST_F(LanguageServiceTest, UnknownIdsAndEmptyService) {
  EXPECT_EQ(service.GetText(0), "UnKnow");
  EXPECT_EQ(service.GetLayoutWidth(0), 0);
  EXPECT_EQ(service.GetLanguageName(), "");
  service.LoadLanguage(kProductFullName, 0x0409);
  EXPECT_EQ(service.GetText(52), "UnKnow");
  EXPECT_EQ(service.GetText(-1), "UnKnow");
}

TEST_F(LanguageServiceTest, ProductNameIsPutInOnceAndEveryWhereItStands) {
  service.LoadLanguage("My __PRODUCT_NAME__ App", 0x0409);
  EXPECT_EQ(service.GetText(9), "Start My __PRODUCT_NAME__ App");

  LanguageService japanese;
  japanese.LoadLanguage("Orv", 0x0411);
  EXPECT_EQ(japanese.GetText(13),
            "Orvが動作していることを検出しますので、インストールができません。Orvを終了した後「再試行」又は「強制退出」してください。");
  LanguageService german;
  german.LoadLanguage("Orv", 0x0407);
  EXPECT_EQ(german.GetText(9), "sofort starten");
}

TEST_F(LanguageServiceTest, KeepsTheFirstProductNameAndDefaultsToDemo) {
  service.LoadLanguage(nullptr, 0x0409);
  EXPECT_EQ(service.GetText(47), "Uninstall Demo");
  service.LoadLanguage("First", 0x0419);
  EXPECT_EQ(service.GetText(9), "Запустить First");
  service.LoadLanguage("Second", 0x0409);
  EXPECT_EQ(service.GetText(9), "Start First");
}

TEST_F(LanguageServiceTest, ReloadingReappliesEnglishUnderTheNewTable) {
  service.LoadLanguage(kProductFullName, 0x0419);
  service.LoadLanguage(kProductFullName, 0x0414);
  EXPECT_EQ(service.GetText(50), "Downloading setup file...");  // no Russian left over
  EXPECT_EQ(service.GetLanguageName(), "Norwegian");
}

struct WidthCase {
  std::uint16_t languageId;
  LayoutWidths widths;
};

void PrintTo(const WidthCase& row, std::ostream* out) { *out << "langid_" << row.languageId; }

class LanguageWidthTest : public LanguageServiceTest, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(LanguageWidthTest, ActiveRowFollowsTheLanguage) {
  service.LoadLanguage(kProductFullName, GetParam().languageId);
  for (int index = 0; index < 6; ++index) {
    EXPECT_EQ(service.GetLayoutWidth(index), GetParam().widths[static_cast<std::size_t>(index)]) << index;
  }
  EXPECT_EQ(service.GetLayoutWidth(6), 0);
  EXPECT_EQ(service.GetLayoutWidth(-1), 0);
}

INSTANTIATE_TEST_SUITE_P(LanguageRows, LanguageWidthTest,
                         ::testing::Values(WidthCase{0x0409, {75, 165, 55, 320, 240, 180}},
                                           WidthCase{0x0804, {52, 95, 52, 170, 180, 180}},
                                           WidthCase{0x0405, {90, 270, 90, 360, 300, 180}},
                                           WidthCase{0x0407, {105, 190, 105, 450, 180, 180}},
                                           WidthCase{0x0403, {80, 280, 80, 460, 180, 180}},
                                           WidthCase{0x0411, {52, 165, 52, 295, 320, 180}},
                                           WidthCase{0x0414, {65, 130, 75, 360, 200, 180}},
                                           WidthCase{0x0419, {88, 360, 143, 400, 180, 180}}));

TEST(LanguageWidthTest, IndexFiveIsTheSameInEveryLanguage) {
  for (int value = static_cast<int>(UiLanguage::English); value <= static_cast<int>(UiLanguage::Swedish); ++value) {
    EXPECT_EQ(ProfileOf(static_cast<UiLanguage>(value)).widths[5], 180) << value;
  }
}

struct ReplaceCase {
  const char* text;
  const char* from;
  const char* to;
  const char* expected;
};

void PrintTo(const ReplaceCase& row, std::ostream* out) {
  *out << "'" << row.text << "' '" << row.from << "' to '" << row.to << "'";
}

class LanguageReplaceAllTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(LanguageReplaceAllTest, ReplacesEveryHitOnce) {
  const ReplaceCase& row = GetParam();
  EXPECT_EQ(ReplaceAll(row.text, row.from, row.to), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    LanguageCases, LanguageReplaceAllTest,
    ::testing::Values(ReplaceCase{"in XXX seconds", "XXX", "30", "in 30 seconds"},
                      ReplaceCase{"a_b_c", "_", "__", "a__b__c"},     // replacement holds the search text
                      ReplaceCase{"xx", "x", "xyx", "xyxxyx"},        // never searched again
                      ReplaceCase{"aaa", "aa", "b", "ba"},            // hits do not overlap
                      ReplaceCase{"no hit", "XXX", "1", "no hit"},
                      ReplaceCase{"", "XXX", "1", ""},
                      ReplaceCase{"keep", "", "1", "keep"},           // empty search text changes nothing
                      ReplaceCase{"1.0.6 official", "official", "正式版", "1.0.6 正式版"}));

TEST_F(LanguageServiceTest, ConcurrentCallersGetWholeTexts) {
  service.LoadLanguage(kProductFullName, 0x0409);
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 500; ++round) {
        const std::int32_t id = (round + t) % 52;
        if (service.GetText(id) != Expand(EnglishText(id))) ++wrong[static_cast<std::size_t>(t)];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int count : wrong) EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace orvane
