#include "ui/LanguageTables.h"

namespace orvane {
namespace {

constexpr std::uint16_t kPrimaryMask = 0x3FF;
constexpr std::uint16_t kSubLanguageChineseSimplified = 2;

const LanguageProfile kProfiles[] = {
    {UiLanguage::English, &EnglishTexts, "Language is EN", "English", {75, 165, 55, 320, 240, 180}},
    {UiLanguage::SimplifiedChinese, &SimplifiedChineseTexts, "Language is CHS(JianTi)", "Chinese(Simplified)",
     {52, 95, 52, 170, 180, 180}},
    {UiLanguage::TraditionalChinese, &TraditionalChineseTexts, "Language is ZH(FanTi)", "Chinese(Traditional)",
     {52, 95, 52, 170, 180, 180}},
    {UiLanguage::Czech, &CzechTexts, "Language is CZ(JieKe)", "Czech", {90, 270, 90, 360, 300, 180}},
    {UiLanguage::German, &GermanTexts, "Language is DE(DeGuo)", "German", {105, 190, 105, 450, 180, 180}},
    {UiLanguage::Spanish, &SpanishTexts, "Language is SPANISH(XiBanYa)", "Spanish", {80, 280, 80, 460, 180, 180}},
    {UiLanguage::French, &FrenchTexts, "Language is FR(FaGuo)", "French", {85, 220, 90, 420, 300, 180}},
    {UiLanguage::Hungarian, &HungarianTexts, "Language is HU(XiongYaLi)", "Hungarian",
     {100, 220, 110, 410, 180, 180}},
    {UiLanguage::Italian, &ItalianTexts, "Language is IT(YiDaLi)", "Italian", {90, 270, 105, 480, 180, 180}},
    {UiLanguage::Japanese, &JapaneseTexts, "Language is JP(RiBen)", "Japanese", {52, 165, 52, 295, 320, 180}},
    {UiLanguage::Dutch, &DutchTexts, "Language is NL(HeLan)", "Dutch", {103, 260, 103, 360, 180, 180}},
    {UiLanguage::Norwegian, &NorwegianTexts, "Language is NO(NuoWei)", "Norwegian", {65, 130, 75, 360, 200, 180}},
    {UiLanguage::Polish, &PolishTexts, "Language is PL(BoLan)", "Polish", {85, 260, 72, 300, 180, 180}},
    {UiLanguage::Portuguese, &PortugueseTexts, "Language is PT(PuTaoYa)", "Portuguese",
     {75, 230, 85, 470, 180, 180}},
    {UiLanguage::Russian, &RussianTexts, "Language is RU(ErLuoSi)", "Russian", {88, 360, 143, 400, 180, 180}},
    {UiLanguage::Swedish, &SwedishTexts, "Language is SVE(RuiDian)", "Swedish", {93, 160, 70, 320, 180, 180}},
};

// Catalan shares the Spanish table and name but logs its own line.
const LanguageProfile kCatalanProfile = {UiLanguage::Spanish, &SpanishTexts, "Language is CATALA(XiBanYa)",
                                         "Spanish", {80, 280, 80, 460, 180, 180}};

}  // namespace

UiLanguage ChooseLanguage(std::uint16_t languageId) { return ProfileOfLanguageId(languageId).language; }

const LanguageProfile& ProfileOf(UiLanguage language) {
  for (const auto& profile : kProfiles) {
    if (profile.language == language) return profile;
  }
  return kProfiles[0];
}

const LanguageProfile& ProfileOfLanguageId(std::uint16_t languageId) {
  switch (languageId & kPrimaryMask) {
    case 0x03: return kCatalanProfile;
    case 0x04:
      return ProfileOf((languageId >> 10) == kSubLanguageChineseSimplified ? UiLanguage::SimplifiedChinese
                                                                           : UiLanguage::TraditionalChinese);
    case 0x05: return ProfileOf(UiLanguage::Czech);
    case 0x07: return ProfileOf(UiLanguage::German);
    case 0x0A: return ProfileOf(UiLanguage::Spanish);
    case 0x0C: return ProfileOf(UiLanguage::French);
    case 0x0E: return ProfileOf(UiLanguage::Hungarian);
    case 0x10: return ProfileOf(UiLanguage::Italian);
    case 0x11: return ProfileOf(UiLanguage::Japanese);
    case 0x13: return ProfileOf(UiLanguage::Dutch);
    case 0x14: return ProfileOf(UiLanguage::Norwegian);
    case 0x15: return ProfileOf(UiLanguage::Polish);
    case 0x16: return ProfileOf(UiLanguage::Portuguese);
    case 0x19: return ProfileOf(UiLanguage::Russian);
    case 0x1D: return ProfileOf(UiLanguage::Swedish);
    default: return ProfileOf(UiLanguage::English);
  }
}

}  // namespace orvane
