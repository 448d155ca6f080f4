#pragma once
// Writes one shortcut as a freedesktop .desktop file: "<folder>/<name>.desktop".
// A target that is a web address gives a Type=Link entry with its URL; anything
// else a Type=Application entry that runs the target with the arguments.
#include <string>

namespace orvane {

inline constexpr const char* kShortcutExtension = ".desktop";

struct ShellLinkFields {
  std::string target;
  std::string workingFolder;  // Path=; empty for none
  std::string description;    // Comment=
  std::string icon;           // Icon=; empty: the target (not for web addresses)
  std::string arguments;      // a command-line text, split at blanks ("..." keeps blanks)
};

// The text of the entry named `name`.
std::string FormatDesktopEntry(const std::string& name, const ShellLinkFields& fields);

// Writes the entry atomically (temporary file, rename), with the run bit set.
// `hotKey` and `showCommand` have no counterpart in a desktop entry.
bool MakeShellLink(const std::string& target, const std::string& folder, const std::string& name,
                   const std::string& workingFolder, int hotKey, const std::string& description,
                   const std::string& icon, const std::string& arguments, int showCommand);

// True for texts such as "https://..." that name a web page rather than a file.
bool IsWebAddress(const std::string& target);

}  // namespace orvane
