#include "platform/SystemInfo.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orvane::platform {
namespace {

struct LocaleLanguage {
  const char* locale;  // "ll_CC" or "ll" (primary language, default sub-language)
  std::uint16_t languageId;
};

// Locale names and the language ids Windows gives them; a locale whose region
// is not listed falls back to the entry of its language alone.
constexpr LocaleLanguage kLocaleLanguages[] = {
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en", 0x0409},
    {"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0C07}, {"de_LU", 0x1007}, {"de_LI", 0x1407},
    {"de", 0x0407},    {"fr_FR", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C},
    {"fr", 0x040C},    {"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"es", 0x0C0A},    {"it_IT", 0x0410},
    {"it_CH", 0x0810}, {"it", 0x0410},    {"pt_BR", 0x0416}, {"pt_PT", 0x0816}, {"pt", 0x0816},
    {"ru_RU", 0x0419}, {"ru", 0x0419},    {"ja_JP", 0x0411}, {"ja", 0x0411},    {"ko_KR", 0x0412},
    {"ko", 0x0412},    {"zh_CN", 0x0804}, {"zh_SG", 0x1004}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04},
    {"zh_MO", 0x1404}, {"zh", 0x0804},    {"nl_NL", 0x0413}, {"nl_BE", 0x0813}, {"nl", 0x0413},
    {"pl_PL", 0x0415}, {"pl", 0x0415},    {"tr_TR", 0x041F}, {"tr", 0x041F},    {"sv_SE", 0x041D},
    {"sv", 0x041D},    {"nb_NO", 0x0414}, {"nn_NO", 0x0814}, {"no", 0x0414},    {"nb", 0x0414},
    {"nn", 0x0814},    {"da_DK", 0x0406}, {"da", 0x0406},    {"fi_FI", 0x040B}, {"fi", 0x040B},
    {"cs_CZ", 0x0405}, {"cs", 0x0405},    {"hu_HU", 0x040E}, {"hu", 0x040E},    {"hr_HR", 0x041A},
    {"hr", 0x041A},    {"ca_ES", 0x0403}, {"ca", 0x0403},    {"ar_SA", 0x0401}, {"ar", 0x0401},
    {"el_GR", 0x0408}, {"el", 0x0408},    {"he_IL", 0x040D}, {"he", 0x040D},    {"uk_UA", 0x0422},
    {"uk", 0x0422},    {"ro_RO", 0x0418}, {"ro", 0x0418},    {"sk_SK", 0x041B}, {"sk", 0x041B},
    {"sl_SI", 0x0424}, {"sl", 0x0424},    {"bg_BG", 0x0402}, {"bg", 0x0402},    {"th_TH", 0x041E},
    {"th", 0x041E},    {"vi_VN", 0x042A}, {"vi", 0x042A},    {"id_ID", 0x0421}, {"id", 0x0421},
};

struct LanguageName {
  std::uint16_t primary;  // low 10 bits of a language id
  const char* name;
};

// English names of the primary languages of the locale table above.
constexpr LanguageName kLanguageNames[] = {
    {0x01, "Arabic"},   {0x02, "Bulgarian"},  {0x03, "Catalan"},   {0x04, "Chinese"},   {0x05, "Czech"},
    {0x06, "Danish"},   {0x07, "German"},     {0x08, "Greek"},     {0x09, "English"},   {0x0A, "Spanish"},
    {0x0B, "Finnish"},  {0x0C, "French"},     {0x0D, "Hebrew"},    {0x0E, "Hungarian"}, {0x10, "Italian"},
    {0x11, "Japanese"}, {0x12, "Korean"},     {0x13, "Dutch"},     {0x14, "Norwegian"}, {0x15, "Polish"},
    {0x16, "Portuguese"}, {0x18, "Romanian"}, {0x19, "Russian"},   {0x1A, "Croatian"},  {0x1B, "Slovak"},
    {0x1D, "Swedish"},  {0x1E, "Thai"},       {0x1F, "Turkish"},   {0x21, "Indonesian"}, {0x22, "Ukrainian"},
    {0x24, "Slovenian"}, {0x2A, "Vietnamese"},
};

std::uint16_t Lookup(const std::string& name) {
  for (const auto& entry : kLocaleLanguages) {
    if (name == entry.locale) return entry.languageId;
  }
  return 0;
}

}  // namespace

std::uint16_t LanguageIdOfLocale(const std::string& locale) {
  std::string name = locale.substr(0, locale.find_first_of(".@"));
  if (const std::uint16_t exact = Lookup(name)) return exact;
  if (const std::uint16_t primary = Lookup(name.substr(0, name.find('_')))) return primary;
  return 0x0409;
}

std::uint16_t SystemLanguageId() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return LanguageIdOfLocale(value);
  }
  return 0x0409;
}

int NativeProcessorArchitecture() {
  utsname names {};
  if (::uname(&names) != 0) return kArchitectureIntel;
  const std::string machine = names.machine;
  if (machine == "x86_64") return kArchitectureAmd64;
  if (machine == "ia64") return kArchitectureIa64;
  if (machine == "aarch64" || machine == "arm64") return kArchitectureArm64;
  return kArchitectureIntel;
}

KernelVersion RunningKernelVersion() {
  utsname names {};
  if (::uname(&names) != 0) return {};
  return KernelVersionOfRelease(names.release);
}

KernelVersion KernelVersionOfRelease(const std::string& release) {
  KernelVersion version;
  if (std::sscanf(release.c_str(), "%d.%d", &version.major, &version.minor) != 2) return {};
  if (version.major < 0 || version.minor < 0) return {};
  return version;
}

std::string EnglishLanguageNameOf(std::uint16_t languageId) {
  for (const auto& entry : kLanguageNames) {
    if (entry.primary == (languageId & 0x3FF)) return entry.name;
  }
  return "";
}

std::string UserLanguageEnglishName() { return EnglishLanguageNameOf(SystemLanguageId()); }

std::string OwnExecutablePath() {
  char buffer[4096];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return "";
  return std::string(buffer, static_cast<std::size_t>(length));
}

}  // namespace orvane::platform
