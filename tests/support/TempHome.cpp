#include "tests/support/TempHome.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/FolderHelpers.h"

namespace orvane::test {

TempHome::TempHome() {
  const char* base = std::getenv("ORVANE_TEST_TMP");
  std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/orvane-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  home_ = root_ + "/home";
  sysroot_ = root_ + "/sysroot";
  CreateFolderPath(home_);
  CreateFolderPath(sysroot_);
  CreateFolderPath(root_ + "/tmp");
  SetEnv("HOME", home_);
  SetEnv("ORVANE_SYSROOT", sysroot_);
  SetEnv("TMPDIR", root_ + "/tmp");
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "SUDO_UID", "PKEXEC_UID"}) UnsetEnv(name);
}

TempHome::~TempHome() {
  for (const auto& [name, value] : saved_) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
  RemoveFolderTree(root_);
}

std::string TempHome::Path(const std::string& relative) const { return root_ + "/" + relative; }

void TempHome::Remember(const std::string& name) {
  if (saved_.count(name)) return;
  const char* value = std::getenv(name.c_str());
  saved_[name] = value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void TempHome::SetEnv(const std::string& name, const std::string& value) {
  Remember(name);
  ::setenv(name.c_str(), value.c_str(), 1);
}

void TempHome::UnsetEnv(const std::string& name) {
  Remember(name);
  ::unsetenv(name.c_str());
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

void WriteWholeFile(const std::string& path, const std::string& content) {
  CreateParentFolders(path);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << content;
}

std::string FixturePath(const std::string& name) { return std::string(ORVANE_SOURCE_DIR) + "/tests/fixtures/" + name; }

}  // namespace orvane::test
