#include "tests/support/MirrorFixture.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <sstream>

#include "tests/support/TempHome.h"

extern char** environ;

namespace orvane::test {
namespace {

// Log files beside the package get distinct names within one process.
std::atomic<int> g_logCounter{0};

std::string DefaultLogPath(const std::string& file) {
  return file + ".mirror-" + std::to_string(::getpid()) + "-" + std::to_string(++g_logCounter) + ".jsonl";
}

// Reads a JSON string starting at the opening quote; returns the index after it.
std::size_t ReadJsonString(const std::string& text, std::size_t at, std::string* out) {
  out->clear();
  for (++at; at < text.size(); ++at) {
    char c = text[at];
    if (c == '"') return at + 1;
    if (c == '\\' && at + 1 < text.size()) {
      c = text[++at];
      if (c == 'n') c = '\n';
      else if (c == 't') c = '\t';
      else if (c == 'u') {  // the log carries ASCII; keep other code points as '?'
        const std::string hex = text.substr(at + 1, 4);
        const long code = std::strtol(hex.c_str(), nullptr, 16);
        c = code < 0x80 ? static_cast<char>(code) : '?';
        at += 4;
      }
    }
    out->push_back(c);
  }
  return std::string::npos;
}

// Splits one flat JSON object into key -> raw value (strings unquoted, "null" for null).
std::map<std::string, std::string> ParseFlatObject(const std::string& line) {
  std::map<std::string, std::string> fields;
  std::size_t at = line.find('{');
  if (at == std::string::npos) return fields;
  ++at;
  while (at < line.size()) {
    at = line.find('"', at);
    if (at == std::string::npos) break;
    std::string key;
    at = ReadJsonString(line, at, &key);
    if (at == std::string::npos) break;
    at = line.find(':', at);
    if (at == std::string::npos) break;
    ++at;
    while (at < line.size() && line[at] == ' ') ++at;
    std::string value;
    if (at < line.size() && line[at] == '"') {
      at = ReadJsonString(line, at, &value);
      if (at == std::string::npos) break;
    } else {
      const std::size_t end = line.find_first_of(",}", at);
      value = line.substr(at, end - at);
      at = end;
    }
    fields[key] = value;
    if (at == std::string::npos) break;
    at = line.find_first_of(",}", at);
    if (at == std::string::npos || line[at] == '}') break;
    ++at;
  }
  return fields;
}

long long ToNumber(const std::map<std::string, std::string>& fields, const char* key, long long fallback) {
  const auto found = fields.find(key);
  if (found == fields.end() || found->second.empty() || found->second == "null") return fallback;
  return std::strtoll(found->second.c_str(), nullptr, 10);
}

std::string ToText(const std::map<std::string, std::string>& fields, const char* key) {
  const auto found = fields.find(key);
  return found == fields.end() || found->second == "null" ? std::string() : found->second;
}

// Runs a program to its end; true when it exits with 0.
bool RunToEnd(std::vector<std::string> argv) {
  std::vector<char*> raw;
  for (auto& arg : argv) raw.push_back(arg.data());
  raw.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawnp(&pid, raw[0], nullptr, nullptr, raw.data(), environ) != 0) return false;
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

MirrorFixture::MirrorFixture(MirrorOptions options)
    : options_([&] {
        if (options.logPath.empty()) options.logPath = DefaultLogPath(options.file);
        return std::move(options);
      }()),
      server_("mirror.py", Arguments(options_)) {}

MirrorFixture::~MirrorFixture() { Stop(); }

bool MirrorFixture::Start(int timeoutMs) { return server_.Start(timeoutMs); }

// The mirror needs a moment to wake its held responses and log them.
void MirrorFixture::Stop() { server_.Stop(5000); }

std::string MirrorFixture::Url(const std::string& path) const { return server_.BaseUrl() + path; }

std::string MirrorFixture::HostPort() const { return Host() + ":" + std::to_string(Port()); }

std::vector<MirrorRequest> MirrorFixture::Requests() const { return ParseMirrorLog(ReadWholeFile(options_.logPath)); }

long long MirrorFixture::PackageBytesSent() const {
  long long total = 0;
  for (const auto& request : Requests()) {
    if (request.path.rfind("/download/", 0) == 0) total += request.bytesSent;
  }
  return total;
}

std::vector<std::string> MirrorFixture::Arguments(const MirrorOptions& options) {
  std::vector<std::string> args = {"--file", options.file, "--host", options.host,
                                   "--port", std::to_string(options.port), "--flag", options.flag};
  auto add = [&args](const char* name, long long value) {
    args.push_back(name);
    args.push_back(std::to_string(value));
  };
  if (options.reportedSize) add("--size", *options.reportedSize);
  if (options.flagSilent) args.push_back("--flag-silent");
  if (options.throttle > 0) add("--throttle", options.throttle);
  if (options.stallAfter) add("--stall-after", *options.stallAfter);
  if (options.resetAfter) add("--reset-after", *options.resetAfter);
  if (options.faultTimes > 0) add("--fault-times", options.faultTimes);
  if (!options.flipOffsets.empty()) {
    std::string list;
    for (long long offset : options.flipOffsets) list += (list.empty() ? "" : ",") + std::to_string(offset);
    args.push_back("--flip");
    args.push_back(list);
  }
  if (options.ignoreRange) args.push_back("--ignore-range");
  if (options.status != 0) add("--status", options.status);
  if (options.echoDelayMs) add("--echo-delay", *options.echoDelayMs);
  if (!options.logPath.empty()) {
    args.push_back("--log");
    args.push_back(options.logPath);
  }
  return args;
}

std::vector<MirrorRequest> ParseMirrorLog(const std::string& text) {
  std::vector<MirrorRequest> requests;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const auto fields = ParseFlatObject(line);
    if (!fields.count("method") || !fields.count("path")) continue;
    MirrorRequest request;
    request.id = ToNumber(fields, "id", 0);
    request.method = ToText(fields, "method");
    request.path = ToText(fields, "path");
    request.range = ToText(fields, "range");
    request.status = static_cast<int>(ToNumber(fields, "status", 0));
    request.rangeStart = ToNumber(fields, "start", -1);
    request.rangeEnd = ToNumber(fields, "end", -1);
    request.bytesSent = ToNumber(fields, "bytes", 0);
    request.outcome = ToText(fields, "outcome");
    requests.push_back(std::move(request));
  }
  std::stable_sort(requests.begin(), requests.end(),
                   [](const MirrorRequest& a, const MirrorRequest& b) { return a.id < b.id; });
  return requests;
}

bool MakeTestPackage(const std::string& path, long long size, int seed, TestPackage* out) {
  const std::string digestsPath = path + ".md5";
  if (!RunToEnd({"python3", FixturePath("make_package.py"), path, "--size", std::to_string(size), "--seed",
                 std::to_string(seed), "--digests", digestsPath})) {
    return false;
  }
  std::istringstream digests(ReadWholeFile(digestsPath));
  ::unlink(digestsPath.c_str());
  TestPackage package;
  package.path = path;
  package.size = size;
  std::string line;
  if (!std::getline(digests, package.wholeMd5)) return false;
  while (std::getline(digests, line)) {
    if (!line.empty()) package.chunkMd5.push_back(line);
  }
  if (out != nullptr) *out = std::move(package);
  return true;
}

std::string DescriptorXml(const TestPackage& package, const std::vector<std::string>& urls, int version,
                          const std::string& name) {
  std::ostringstream xml;
  xml << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      << "<download size=\"" << package.size << "\" name=\"" << name << "\" version=\"" << version << "\">\n"
      << "  <url size=\"" << urls.size() << "\">\n";
  for (std::size_t i = 0; i < urls.size(); ++i) xml << "    <item_" << i << " value=\"" << urls[i] << "\"/>\n";
  xml << "  </url>\n  <hash size=\"" << package.chunkMd5.size() + 1 << "\">\n"
      << "    <item_0 value=\"" << package.wholeMd5 << "\"/>\n";
  for (std::size_t i = 0; i < package.chunkMd5.size(); ++i) {
    xml << "    <item_" << i + 1 << " value=\"" << package.chunkMd5[i] << "\"/>\n";
  }
  xml << "  </hash>\n</download>\n";
  return xml.str();
}

}  // namespace orvane::test
