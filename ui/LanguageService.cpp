#include "ui/LanguageService.h"

#include "app/Log.h"
#include "app/Startup.h"
#include "platform/SystemInfo.h"

namespace orvane {
namespace {

constexpr std::uint16_t kPrimaryLanguageMask = 0x3FF;
constexpr std::uint16_t kPrimaryLanguageJapanese = 0x11;
constexpr const char* kDefaultProductName = "Demo";

void Apply(LanguageTable table, std::map<std::int32_t, const char*>& active) {
  for (const TextEntry& row : table) active[row.id] = row.text;
}

}  // namespace

bool LanguageService::LoadLanguage(const char* productName, std::uint16_t languageId) {
  if (languageId == 0) languageId = platform::SystemLanguageId();
  if (const int forced = ReadDebugSetting("setup_test_language"); forced != 0) {
    languageId = static_cast<std::uint16_t>(forced);
  }
  const LanguageProfile& profile = ProfileOfLanguageId(languageId);
  WriteLog("%s, id = %d", profile.logPrefix, static_cast<int>(languageId));

  std::lock_guard lock(mutex_);
  if (productName != nullptr && !productName_) productName_ = productName;
  active_.clear();
  Apply(EnglishTexts(), active_);
  if (profile.language != UiLanguage::English) Apply(profile.table(), active_);
  widths_ = &profile.widths;
  languageName_ = profile.name;
  return true;
}

std::string LanguageService::GetText(std::int32_t id) {
  std::lock_guard lock(mutex_);
  const auto found = active_.find(id);
  if (found == active_.end()) return kUnknownText;
  std::string text = ReplaceAll(found->second, kProductNamePlaceholder,
                                productName_ ? *productName_ : std::string(kDefaultProductName));
  cache_[id] = text;
  return text;
}

std::int32_t LanguageService::GetLayoutWidth(int index) const {
  std::lock_guard lock(mutex_);
  if (widths_ == nullptr || index < 0 || index >= static_cast<int>(widths_->size())) return 0;
  return (*widths_)[static_cast<std::size_t>(index)];
}

std::string LanguageService::GetLanguageName() const {
  std::lock_guard lock(mutex_);
  return languageName_;
}

LanguageService& GetLanguageService() {
  static LanguageService service;
  return service;
}

bool LoadLanguage(const char* productName, std::uint16_t languageId) {
  return GetLanguageService().LoadLanguage(productName, languageId);
}

std::string GetText(std::int32_t id) { return GetLanguageService().GetText(id); }

std::int32_t GetLayoutWidth(int index) { return GetLanguageService().GetLayoutWidth(index); }

std::string GetLanguageName() { return GetLanguageService().GetLanguageName(); }

bool IsJapaneseSystem() {
  return (platform::SystemLanguageId() & kPrimaryLanguageMask) == kPrimaryLanguageJapanese;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

}  // namespace orvane
