#include "tools/PackageWriter.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

#include "install/ArchiverMain.h"
#include "install/ChildProcess.h"
#include "install/PackageHeader.h"
#include "install/TempTree.h"
#include "platform/PathUtil.h"

namespace orvane::pack {
namespace {

bool ReadFile(const std::string& path, std::string& content) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

bool FitsField(const std::string& text, std::size_t size, const char* option, std::string& error) {
  if (text.size() < size) return true;
  error = std::string(option) + " is longer than " + std::to_string(size - 1) + " bytes: " + text;
  return false;
}

bool FillHeader(const PackOptions& options, PackageHeader& header, std::string& error) {
  if (!FitsField(options.keyName, PackageHeader::kKeyNameSize, "--key-name", error) ||
      !FitsField(options.displayName, PackageHeader::kDisplayNameSize, "--display-name", error) ||
      !FitsField(options.fullName, PackageHeader::kFullNameSize, "--full-name", error) ||
      !FitsField(options.version, PackageHeader::kVersionSize, "--version", error) ||
      !FitsField(options.date, PackageHeader::kDateSize, "--date", error) ||
      !FitsField(options.web, PackageHeader::kWebSize, "--web", error) ||
      !FitsField(options.publisher, PackageHeader::kPublisherSize, "--publisher", error)) {
    return false;
  }
  header.SetKeyName(options.keyName);
  header.SetDisplayName(options.displayName);
  header.SetFullName(options.fullName);
  header.SetVersion(options.version);
  header.SetDateText(options.date);
  header.SetWebAddress(options.web);
  header.SetPublisher(options.publisher);
  header.SetX64Flag(options.x64 ? 1 : 0);
  return true;
}

// Packs the folder's content (relative names, links kept as links) into `archive`.
bool PackPayload(const std::string& folder, const std::string& archive, std::string& error) {
  const std::string program = ArchiverProgram();
  if (program.empty()) {
    error = "7z not found (install p7zip-full or set ORVANE_7Z)";
    return false;
  }
  ChildProcess child;
  ChildOptions childOptions;
  childOptions.workingFolder = folder;
  childOptions.captureOutput = true;
  std::string output;
  if (!child.Start({program, "a", "-t7z", "-mx=5", "-snl", "-bd", archive, "."}, childOptions)) {
    error = "cannot run " + program;
    return false;
  }
  child.ReadOutput([&](const char* data, std::size_t size) { output.append(data, size); });
  const int exitCode = child.Wait();
  if (exitCode != 0) {
    error = "7z failed with exit code " + std::to_string(exitCode) + ":\n" + output;
    return false;
  }
  return true;
}

}  // namespace

bool WritePackage(const PackOptions& options, std::string& error) {
  if (!platform::PathIsFolder(options.payloadFolder)) {
    error = "payload folder not found: " + options.payloadFolder;
    return false;
  }
  std::string uninstaller;
  if (platform::PathIsFolder(options.uninstaller) || !ReadFile(options.uninstaller, uninstaller)) {
    error = "cannot read the uninstaller: " + options.uninstaller;
    return false;
  }
  PackageHeader header;
  if (!FillHeader(options, header, error)) return false;

  const std::string temp = MakePrivateTempFolder();
  if (temp.empty()) {
    error = "cannot create a temporary folder";
    return false;
  }
  const std::string archive = temp + "payload.7z";
  std::string payload;
  const bool packed = PackPayload(options.payloadFolder, archive, error) && ReadFile(archive, payload);
  RemoveTempTree(temp);
  if (!packed) {
    if (error.empty()) error = "cannot read the packed payload";
    return false;
  }

  const std::size_t total = kHeaderOffset + PackageHeader::kSize + payload.size() + uninstaller.size();
  if (total > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    error = "the package would be 2 GiB or more";
    return false;
  }
  const auto payloadOffset = static_cast<std::int32_t>(kHeaderOffset + PackageHeader::kSize);
  header.SetPayload(payloadOffset, static_cast<std::int32_t>(payload.size()));
  header.SetUninstaller(static_cast<std::int32_t>(payloadOffset + payload.size()),
                        static_cast<std::int32_t>(uninstaller.size()));

  std::string leadIn(kHeaderOffset, '\0');
  std::memcpy(leadIn.data(), "LUMTAR ORVANE PACKAGE\n", 22);
  PackageHeader::WriteInt32(reinterpret_cast<unsigned char*>(leadIn.data()) + PackageHeader::kPointerOffset,
                            kHeaderOffset);

  const std::string part = options.output + ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(leadIn.data(), static_cast<std::streamsize>(leadIn.size()));
    out.write(reinterpret_cast<const char*>(header.Bytes()), PackageHeader::kSize);
    out.write(payload.data(), static_cast<std::streamsize>(payload.size()));
    out.write(uninstaller.data(), static_cast<std::streamsize>(uninstaller.size()));
    out.flush();
    if (!out) {
      ::unlink(part.c_str());
      error = "cannot write " + options.output;
      return false;
    }
  }
  if (std::rename(part.c_str(), options.output.c_str()) != 0) {
    ::unlink(part.c_str());
    error = "cannot write " + options.output;
    return false;
  }
  return true;
}

}  // namespace orvane::pack
