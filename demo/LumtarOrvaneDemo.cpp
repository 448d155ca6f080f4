// The demo product "Lumtar Orvane.exe". It records each start in
// "launches.txt" beside itself (one line: the arguments joined by "|"), then:
//   - "/install" as first argument: ends at once with exit code 0
//     ($ORVANE_DEMO_EXIT_CODE overrides the code; $ORVANE_DEMO_STAY=1 makes it
//     keep running as for other arguments, to try the installer's wait);
//   - anything else: keeps running, as the product would, until it is ended
//     or $ORVANE_DEMO_RUN_SECONDS (default 600) have passed.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string OwnFolder() {
  char path[PATH_MAX] = {};
  const ssize_t size = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (size <= 0) return ".";
  std::string text(path, static_cast<std::size_t>(size));
  const auto slash = text.rfind('/');
  return slash == std::string::npos ? "." : text.substr(0, slash);
}

int EnvironmentNumber(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) line += (i > 1 ? "|" : "") + std::string(argv[i]);
  if (std::FILE* log = std::fopen((OwnFolder() + "/launches.txt").c_str(), "a")) {
    std::fprintf(log, "%s\n", line.c_str());
    std::fclose(log);
  }
  const bool install = argc > 1 && std::strcmp(argv[1], "/install") == 0;
  const char* stay = std::getenv("ORVANE_DEMO_STAY");
  if (install && !(stay != nullptr && std::strcmp(stay, "1") == 0)) {
    return EnvironmentNumber("ORVANE_DEMO_EXIT_CODE", 0);
  }
  for (int left = EnvironmentNumber("ORVANE_DEMO_RUN_SECONDS", 600); left > 0; --left) ::sleep(1);
  return 0;
}
