#pragma once
// A test mirror (tests/fixtures/mirror.py) run from C++: serves one package file
// with byte ranges and "/flag.php" on a loopback address, with faults chosen per
// run, and records every request it served. Also makes deterministic test
// packages and their download descriptors.
#include <optional>
#include <string>
#include <vector>

#include "tests/support/FixtureServer.h"

namespace orvane::test {

// What one mirror run serves and how it misbehaves. Byte counts for the stall and
// reset faults are package bytes sent by the whole server, over all connections.
struct MirrorOptions {
  std::string file;                       // package file served under /download/<any name>
  std::string host = "127.0.0.1";         // any 127.0.0.x address
  int port = 0;                           // 0 picks a free port
  std::optional<long long> reportedSize;  // Content-Length of HEAD / whole-file GET
  std::string flag = "1";                 // body of /flag.php
  bool flagSilent = false;                // /flag.php never answers (connection held open)
  long long throttle = 0;                 // bytes per second for the whole server, 0 = none
  std::optional<long long> stallAfter;    // then send nothing more, sockets kept open
  std::optional<long long> resetAfter;    // then reset the connection
  int faultTimes = 0;                     // responses that get the stall/reset, 0 = all later ones
  std::vector<long long> flipOffsets;     // file offsets whose byte is served inverted
  bool ignoreRange = false;               // answer every GET with 200 and the whole file
  int status = 0;                         // answer package requests with this status (404, 500)
  std::string logPath;                    // request log; empty: one beside the package file
  std::optional<int> echoDelayMs;         // answer ICMP echo to `host` after this delay (root,
                                          // kernel echo replies off in a private namespace)
};

// One request the mirror served, from its log (written when the response ended).
struct MirrorRequest {
  long long id = 0;         // order of arrival at the mirror, from 1
  std::string method;
  std::string path;
  std::string range;        // Range header as sent, "" without one
  int status = 0;           // 0 when nothing was answered (silent /flag.php)
  long long rangeStart = -1;  // first and last byte served for package requests, else -1
  long long rangeEnd = -1;
  long long bytesSent = 0;  // body bytes actually written
  std::string outcome;      // "complete", "aborted", "stalled", "reset", "silent"
};

class MirrorFixture {
 public:
  explicit MirrorFixture(MirrorOptions options);
  ~MirrorFixture();
  MirrorFixture(const MirrorFixture&) = delete;
  MirrorFixture& operator=(const MirrorFixture&) = delete;

  // Starts the mirror and waits until it listens. Returns false on failure.
  bool Start(int timeoutMs = 10000);
  // Stops it (SIGTERM); held and stalled responses are logged as they end.
  void Stop();

  const std::string& Host() const { return server_.Host(); }
  int Port() const { return server_.Port(); }
  // "http://host:port" + path, e.g. Url("/download/pkg.exe").
  std::string Url(const std::string& path) const;
  // "host:port", the host part of a mirror URL.
  std::string HostPort() const;
  const std::string& LogPath() const { return options_.logPath; }
  // Requests logged so far in order of arrival (responses still running are not in
  // it until they end).
  std::vector<MirrorRequest> Requests() const;
  // Sum of bytesSent over package requests.
  long long PackageBytesSent() const;

  // The mirror.py arguments for a set of options.
  static std::vector<std::string> Arguments(const MirrorOptions& options);

 private:
  MirrorOptions options_;
  FixtureServer server_;
};

// A package made by tests/fixtures/make_package.py with its MD5 digests
// (32 upper-case hex digits): the whole file, then one per 1 MiB chunk.
struct TestPackage {
  std::string path;
  long long size = 0;
  std::string wholeMd5;
  std::vector<std::string> chunkMd5;
};

// Writes `size` deterministic bytes from `seed` to `path` (folders must exist).
// Returns false when the generator fails.
bool MakeTestPackage(const std::string& path, long long size, int seed, TestPackage* out);

// The download descriptor XML for a package served at `urls`.
std::string DescriptorXml(const TestPackage& package, const std::vector<std::string>& urls,
                          int version = 1, const std::string& name = "pkg.exe");

// Parses one request log (JSON lines as mirror.py writes them, one as each response
// ends) into arrival order; bad lines are skipped.
std::vector<MirrorRequest> ParseMirrorLog(const std::string& text);

}  // namespace orvane::test
