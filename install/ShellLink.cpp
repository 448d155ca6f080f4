#include "install/ShellLink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "install/ChildProcess.h"
#include "platform/DesktopUser.h"
#include "platform/PathUtil.h"

namespace orvane {
namespace {

// Escapes of a string value: backslash, and the line breaks that would end it.
std::string EscapeValue(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out;
}

// One argument of Exec: quoted when needed, with the quoting rules of the
// desktop entry format; "%" is doubled since it introduces field codes.
std::string ExecArgument(const std::string& argument) {
  static const std::string kReserved = " \t\n\"'\\><~|&;$*?#()`=";
  bool quote = argument.empty();
  std::string body;
  for (char c : argument) {
    if (kReserved.find(c) != std::string::npos) quote = true;
    if (c == '"' || c == '`' || c == '$' || c == '\\') body += '\\';
    if (c == '%') body += '%';
    body += c;
  }
  return quote ? "\"" + body + "\"" : body;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

bool IsWebAddress(const std::string& target) {
  return target.rfind("http://", 0) == 0 || target.rfind("https://", 0) == 0;
}

std::string FormatDesktopEntry(const std::string& name, const ShellLinkFields& fields) {
  std::string text = "[Desktop Entry]\n";
  if (IsWebAddress(fields.target)) {
    text += "Type=Link\n";
    text += "Name=" + EscapeValue(name) + "\n";
    if (!fields.description.empty()) text += "Comment=" + EscapeValue(fields.description) + "\n";
    text += "URL=" + EscapeValue(fields.target) + "\n";
    if (!fields.icon.empty()) text += "Icon=" + EscapeValue(fields.icon) + "\n";
    return text;
  }
  std::string exec = ExecArgument(fields.target);
  for (const auto& argument : SplitCommandLine(fields.arguments)) exec += " " + ExecArgument(argument);
  text += "Type=Application\n";
  text += "Name=" + EscapeValue(name) + "\n";
  if (!fields.description.empty()) text += "Comment=" + EscapeValue(fields.description) + "\n";
  text += "Exec=" + EscapeValue(exec) + "\n";
  if (!fields.workingFolder.empty()) text += "Path=" + EscapeValue(fields.workingFolder) + "\n";
  text += "Icon=" + EscapeValue(fields.icon.empty() ? fields.target : fields.icon) + "\n";
  text += "Terminal=false\n";
  return text;
}

bool MakeShellLink(const std::string& target, const std::string& folder, const std::string& name,
                   const std::string& workingFolder, int /*hotKey*/, const std::string& description,
                   const std::string& icon, const std::string& arguments, int /*showCommand*/) {
  if (name.empty() || name.find('/') != std::string::npos) return false;
  const std::string text = FormatDesktopEntry(name, ShellLinkFields{target, workingFolder, description, icon, arguments});
  const std::string path = platform::PathAppend(folder, name + kShortcutExtension);
  const std::string temporary = path + ".part";
  ::unlink(temporary.c_str());
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0755);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, text) && ::fchmod(fd, 0755) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  platform::GiveToDesktopUser(path);
  return true;
}

}  // namespace orvane
