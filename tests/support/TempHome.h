#pragma once
// A throw-away home for one test: a fresh folder set as HOME, with
// ORVANE_SYSROOT and TMPDIR inside it and the XDG variables cleared, so nothing
// a test does reaches the real system. The environment is restored and the
// folder removed when the object goes.
#include <map>
#include <optional>
#include <string>

namespace orvane::test {

class TempHome {
 public:
  TempHome();
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::string& Root() const { return root_; }      // the folder holding everything
  const std::string& Home() const { return home_; }      // $HOME
  const std::string& SysRoot() const { return sysroot_; }  // $ORVANE_SYSROOT
  std::string Path(const std::string& relative) const;   // Root() + "/" + relative

  // Sets a variable for the life of this object.
  void SetEnv(const std::string& name, const std::string& value);
  void UnsetEnv(const std::string& name);

 private:
  void Remember(const std::string& name);

  std::string root_;
  std::string home_;
  std::string sysroot_;
  std::map<std::string, std::optional<std::string>> saved_;
};

// Whole content of a file ("" when missing).
std::string ReadWholeFile(const std::string& path);
// Writes a file, creating its folders.
void WriteWholeFile(const std::string& path, const std::string& content);
// Path of a file below the source tree's tests/fixtures.
std::string FixturePath(const std::string& name);

}  // namespace orvane::test
