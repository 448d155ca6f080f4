#pragma once
// Facts about the running system.
#include <cstdint>
#include <string>

namespace orvane::platform {

inline constexpr int kArchitectureIntel = 0;
inline constexpr int kArchitectureIa64 = 6;
inline constexpr int kArchitectureAmd64 = 9;
inline constexpr int kArchitectureArm64 = 12;

// The processor architecture of the system (kernel), in the numbering above.
int NativeProcessorArchitecture();
// Language id (LANGID) of the user's locale: LC_ALL, then LC_MESSAGES, then LANG.
std::uint16_t SystemLanguageId();
// Language id of one locale name such as "de_AT.UTF-8"; 0x0409 for C/POSIX/unknown.
std::uint16_t LanguageIdOfLocale(const std::string& locale);
// Kernel release as major and minor numbers.
struct KernelVersion { int major = 0; int minor = 0; };
KernelVersion RunningKernelVersion();
// Major and minor numbers of a kernel release text such as "6.1.0-18-amd64" ({0, 0} when unreadable).
KernelVersion KernelVersionOfRelease(const std::string& release);
// English name of the language of the user's locale ("English", "German", ...).
std::string UserLanguageEnglishName();
// English name of the primary language of a language id ("" when not known).
std::string EnglishLanguageNameOf(std::uint16_t languageId);
// Full path of the running program ("" when it cannot be read).
std::string OwnExecutablePath();

}  // namespace orvane::platform
