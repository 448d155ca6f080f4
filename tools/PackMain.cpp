// orvane-pack: builds a product package (and its download descriptor) from a
// payload folder and an uninstaller.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/DescriptorWriter.h"
#include "tools/PackOptions.h"
#include "tools/PackageWriter.h"

int main(int argc, char** argv) {
  using namespace orvane::pack;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(PackUsage().c_str(), stdout);
    return 0;
  }
  PackOptions options;
  std::string error;
  if (!ParsePackOptions(args, options, error)) {
    std::fprintf(stderr, "orvane-pack: %s\n%s", error.c_str(), PackUsage().c_str());
    return 2;
  }
  if (!WritePackage(options, error)) {
    std::fprintf(stderr, "orvane-pack: %s\n", error.c_str());
    return 1;
  }
  if (!options.descriptor.empty() && !WriteDescriptor(options.output, options.descriptor, options.mirrors, error)) {
    std::fprintf(stderr, "orvane-pack: %s\n", error.c_str());
    return 1;
  }
  std::printf("orvane-pack: wrote %s%s%s\n", options.output.c_str(), options.descriptor.empty() ? "" : " and ",
              options.descriptor.c_str());
  return 0;
}
