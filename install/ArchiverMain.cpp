#include "install/ArchiverMain.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/Log.h"
#include "install/ArchiveEntryCheck.h"
#include "install/ChildProcess.h"
#include "install/StagedTreeMove.h"
#include "install/TempTree.h"
#include "platform/PathUtil.h"

namespace orvane {
namespace {

struct Arguments {
  std::string archive;
  std::string outputFolder;
  std::string password;
  bool hasPassword = false;
};

bool ParseArguments(int argc, const char* const* argv, Arguments& out) {
  if (argc < 4 || argc > 5 || argv == nullptr) return false;
  for (int i = 0; i < argc; ++i) {
    if (argv[i] == nullptr) return false;
  }
  if (std::strcmp(argv[1], "x") != 0 || std::strncmp(argv[3], "-o", 2) != 0) return false;
  out.archive = argv[2];
  out.outputFolder = argv[3] + 2;
  if (argc == 5) {
    if (std::strncmp(argv[4], "-p", 2) != 0) return false;
    out.password = argv[4] + 2;
    out.hasPassword = !out.password.empty();
  }
  return !out.archive.empty() && !out.outputFolder.empty();
}

// "-p<password>" always: an empty one keeps 7z from asking on the terminal.
std::string PasswordSwitch(const Arguments& arguments) { return "-p" + arguments.password; }

struct RunOutput {
  int exitCode = -1;
  std::string text;
};

RunOutput RunCollecting(const std::vector<std::string>& args) {
  RunOutput result;
  ChildProcess child;
  ChildOptions options;
  options.captureOutput = true;
  if (!child.Start(args, options)) return result;
  child.ReadOutput([&](const char* data, std::size_t size) { result.text.append(data, size); });
  result.exitCode = child.Wait();
  return result;
}

// Reports 262 once, for a run that ended with an archive in error.
void ArchiveInError(void* context, ArchiverErrorCallback onError) {
  if (onError != nullptr) onError(context, kArchiverArchivesWithErrors);
}

}  // namespace

std::string ArchiverProgram() {
  const char* configured = std::getenv("ORVANE_7Z");
  if (configured != nullptr && *configured != '\0') return configured;
  return FindProgramOnPath("7z");
}

int RunArchiverMain(int argc, const char* const* argv, void* context, ArchiverErrorCallback onError,
                    ArchiverProgressCallback onProgress) {
  Arguments arguments;
  if (!ParseArguments(argc, argv, arguments)) return kArchiverCommandLineError;
  const std::string program = ArchiverProgram();
  if (program.empty()) {
    WriteLog("7z program not found.\n");
    ArchiveInError(context, onError);
    return kArchiverFatal;
  }

  // 1. The entry list: refuse names that leave the output folder, and encrypted
  //    entries when no password was given.
  const RunOutput listing = RunCollecting({program, "l", "-slt", PasswordSwitch(arguments), arguments.archive});
  if (listing.exitCode != 0) {
    ArchiverOutputParser parser(context, onError, nullptr);
    parser.Feed(listing.text.data(), listing.text.size());
    parser.Finish();
    WriteLog("7z cannot list the archive (exit %d).\n", listing.exitCode);
    ArchiveInError(context, onError);
    return listing.exitCode < 0 ? kArchiverFatal : listing.exitCode;
  }
  const std::vector<ArchiveEntry> entries = ParseArchiveListing(listing.text);
  const std::string unsafe = FindUnsafeEntry(entries);
  if (!unsafe.empty()) {
    WriteLog("Refused archive, %s.\n", unsafe.c_str());
    if (onError != nullptr) onError(context, kArchiverDataError);
    ArchiveInError(context, onError);
    return kArchiverFatal;
  }
  for (const auto& entry : entries) {
    if (entry.encrypted && !arguments.hasPassword) {
      if (onError != nullptr) onError(context, kArchiverPasswordRequested);
      ArchiveInError(context, onError);
      return kArchiverFatal;
    }
  }

  // 2. Extract into a fresh staging folder beside the archive (inside our private temp folder).
  std::string stagingTemplate = platform::PathAppend(platform::PathRemoveFileSpec(arguments.archive), "out.XXXXXX");
  std::vector<char> stagingName(stagingTemplate.begin(), stagingTemplate.end());
  stagingName.push_back('\0');
  if (::mkdtemp(stagingName.data()) == nullptr) {
    WriteLog("Cannot create the staging folder %s.\n", stagingTemplate.c_str());
    ArchiveInError(context, onError);
    return kArchiverFatal;
  }
  const std::string staging = stagingName.data();

  ArchiverOutputParser parser(context, onError, onProgress);
  int exitCode = kArchiverFatal;
  {
    ChildProcess child;
    ChildOptions options;
    options.captureOutput = true;
    const std::vector<std::string> args = {program, "x", arguments.archive, "-o" + staging, "-aoa", "-y",
                                           "-bsp1", "-bso1", "-bse1", PasswordSwitch(arguments)};
    if (child.Start(args, options)) {
      child.ReadOutput([&](const char* data, std::size_t size) { parser.Feed(data, size); });
      parser.Finish();
      exitCode = child.Wait();
    }
  }

  // 3. Move what was extracted into the output folder; links never followed.
  if (exitCode < kArchiverFatal) {
    const TreeMoveResult moved = MoveTreeInto(staging, arguments.outputFolder);
    for (const auto& dropped : moved.dropped) WriteLog("Skipped archive entry %s.\n", dropped.c_str());
    if (!moved.ok) {
      WriteLog("Cannot place the extracted files: %s.\n", moved.error.c_str());
      exitCode = kArchiverFatal;
    }
  }
  RemoveTempTree(staging);
  if (exitCode == kArchiverOk) parser.Complete();
  if (exitCode != kArchiverOk || parser.SawError()) ArchiveInError(context, onError);
  return exitCode < 0 ? kArchiverFatal : exitCode;
}

}  // namespace orvane
