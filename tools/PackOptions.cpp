#include "tools/PackOptions.h"

#include <ctime>
#include <map>

#include "app/ProductConstants.h"
#include "app/ProductInfo.h"

namespace orvane::pack {
namespace {

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local {};
  ::localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

bool IsDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

}  // namespace

std::string PackUsage() {
  return "usage: orvane-pack --payload DIR --uninstaller FILE --out PACKAGE\n"
         "                   [--key-name T] [--display-name T] [--full-name T] [--version T]\n"
         "                   [--date YYYY-MM-DD] [--web URL] [--publisher T] [--x64]\n"
         "                   [--descriptor OUT.xml --mirror URL ...]\n";
}

bool ParsePackOptions(const std::vector<std::string>& args, PackOptions& options, std::string& error) {
  const auto profile = GetProductInfo();
  options.keyName = profile->GetKeyName();
  options.displayName = profile->GetDisplayName();
  options.fullName = profile->GetFullName();
  options.version = profile->GetVersion();
  options.publisher = profile->GetPublisher();
  options.date = Today();
  options.web = std::string(kHomePageUrl) + options.version;
  bool webGiven = false;

  const std::map<std::string, std::string*> texts = {
      {"--payload", &options.payloadFolder}, {"--uninstaller", &options.uninstaller},
      {"--out", &options.output},            {"--key-name", &options.keyName},
      {"--display-name", &options.displayName}, {"--full-name", &options.fullName},
      {"--version", &options.version},       {"--date", &options.date},
      {"--web", &options.web},               {"--publisher", &options.publisher},
      {"--descriptor", &options.descriptor}};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--x64") {
      options.x64 = true;
      continue;
    }
    const bool isMirror = arg == "--mirror";
    const auto text = texts.find(arg);
    if (!isMirror && text == texts.end()) {
      error = "unknown option " + arg;
      return false;
    }
    if (i + 1 >= args.size()) {
      error = "option " + arg + " needs a value";
      return false;
    }
    const std::string& value = args[++i];
    if (isMirror) {
      options.mirrors.push_back(value);
    } else {
      *text->second = value;
      if (arg == "--web") webGiven = true;
      if (arg == "--version" && !webGiven) options.web = std::string(kHomePageUrl) + value;
    }
  }
  if (options.payloadFolder.empty() || options.uninstaller.empty() || options.output.empty()) {
    error = "--payload, --uninstaller and --out are required";
    return false;
  }
  if (!IsDate(options.date)) {
    error = "--date must have the form YYYY-MM-DD: " + options.date;
    return false;
  }
  if (!options.descriptor.empty() && options.mirrors.empty()) {
    error = "--descriptor needs at least one --mirror URL";
    return false;
  }
  if (options.descriptor.empty() && !options.mirrors.empty()) {
    error = "--mirror is only used with --descriptor";
    return false;
  }
  return true;
}

}  // namespace orvane::pack
