#pragma once
// The text service: chooses one of the sixteen compiled-in languages and hands
// out its texts by id with the product name put in place of "__PRODUCT_NAME__".
// LoadLanguage runs on the window thread before anything else; GetText is
// called from the window thread and from the controller's worker threads.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "ui/LanguageTables.h"

namespace orvane {

inline constexpr const char* kProductNamePlaceholder = "__PRODUCT_NAME__";
inline constexpr const char* kUnknownText = "UnKnow";

class LanguageService {
 public:
  // Chooses the language from `languageId` (0: the system's), unless the debug
  // settings name another; fills the active table, widths and language name and
  // logs the choice. Only the first non-null product name is kept. Always true.
  bool LoadLanguage(const char* productName, std::uint16_t languageId);
  // The text of `id` in the chosen language with the product name put in;
  // "UnKnow" for an id the active table lacks. Returned by value, so no other
  // call can change it afterwards.
  std::string GetText(std::int32_t id);
  // Width at `index` (0..5) of the active row; 0 for other indexes or before loading.
  std::int32_t GetLayoutWidth(int index) const;
  // English name of the chosen language ("" before loading).
  std::string GetLanguageName() const;

 private:
  mutable std::mutex mutex_;  // guards every field below
  std::map<std::int32_t, const char*> active_;
  std::map<std::int32_t, std::string> cache_;  // last substituted text per id
  std::optional<std::string> productName_;
  const LayoutWidths* widths_ = nullptr;
  std::string languageName_;
};

// The process-wide text service the installer uses.
LanguageService& GetLanguageService();

bool LoadLanguage(const char* productName, std::uint16_t languageId);
std::string GetText(std::int32_t id);
std::int32_t GetLayoutWidth(int index);
std::string GetLanguageName();
// True when the system language (not the chosen one) is Japanese.
bool IsJapaneseSystem();
// Replaces every occurrence of `from` in `text` by `to`, left to right; the
// inserted text is never searched again. An empty `from` changes nothing.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

}  // namespace orvane
