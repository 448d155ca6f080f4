#pragma once
// The sixteen compiled-in language tables, their layout widths and the choice
// of a table from a Windows language id (LANGID).
#include <array>
#include <cstdint>

#include "ui/TextEntry.h"

namespace orvane {

enum class UiLanguage {
  English,
  SimplifiedChinese,
  TraditionalChinese,
  Czech,
  German,
  Spanish,
  French,
  Hungarian,
  Italian,
  Japanese,
  Dutch,
  Norwegian,
  Polish,
  Portuguese,
  Russian,
  Swedish,
};

// Widths in pixels of the language-dependent controls of the setup window:
// 0 licence check box, 1 licence link, 2 programme check box, 3 programme link,
// 4 main install button, 5 unused (180 everywhere).
using LayoutWidths = std::array<std::int32_t, 6>;

struct LanguageProfile {
  UiLanguage language;
  LanguageTable (*table)();
  const char* logPrefix;  // the log line before ", id = <LANGID>"
  const char* name;       // English name of the language, as reported
  LayoutWidths widths;
};

// The language a LANGID selects: its low 10 bits, and for Chinese its sub-language.
UiLanguage ChooseLanguage(std::uint16_t languageId);
const LanguageProfile& ProfileOf(UiLanguage language);
const LanguageProfile& ProfileOfLanguageId(std::uint16_t languageId);

LanguageTable EnglishTexts();
LanguageTable SimplifiedChineseTexts();
LanguageTable TraditionalChineseTexts();
LanguageTable CzechTexts();
LanguageTable GermanTexts();
LanguageTable SpanishTexts();
LanguageTable FrenchTexts();
LanguageTable HungarianTexts();
LanguageTable ItalianTexts();
LanguageTable JapaneseTexts();
LanguageTable DutchTexts();
LanguageTable NorwegianTexts();
LanguageTable PolishTexts();
LanguageTable PortugueseTexts();
LanguageTable RussianTexts();
LanguageTable SwedishTexts();

}  // namespace orvane
