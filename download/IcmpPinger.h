#pragma once
// ICMP echo to one IPv4 address. Uses an unprivileged ICMP datagram socket
// where the system allows it (net.ipv4.ping_group_range), else a raw socket,
// which needs root or CAP_NET_RAW. One pinger per probe, on the probing thread.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane {

struct PingResult {
  std::uint16_t sequence = 0;
  std::uint32_t roundTripMs = 0;
  int dataLength = 0;  // ICMP bytes after the 12-byte echo header
  int ttl = 0;         // from the IP header; 0 on a datagram socket, which has none
};

class IcmpPinger {
 public:
  static constexpr std::size_t kRequestSize = 44;
  static constexpr std::size_t kReplyBufferSize = 256;

  IcmpPinger();
  ~IcmpPinger();
  IcmpPinger(const IcmpPinger&) = delete;
  IcmpPinger& operator=(const IcmpPinger&) = delete;

  bool IsValid() const { return socket_ >= 0; }
  // Why set-up failed ("" when valid).
  const std::string& SetupError() const { return setupError_; }
  // True when the socket is a raw one (replies carry the IP header).
  bool IsRaw() const { return raw_; }

  // Sends one echo request to `address` (dotted IPv4) and waits up to
  // `timeoutMs` for its reply. Without `result`, true once the request is sent.
  bool PingHost(const std::string& address, PingResult* result, std::uint32_t timeoutMs);
  // Why the last PingHost failed ("" after a success).
  const std::string& LastError() const { return lastError_; }

  // Fills the 44-byte echo request: type 8, code 0, checksum, identifier,
  // sequence, timestamp (little-endian), 32 zero bytes.
  static void BuildEchoRequest(unsigned char* buffer, std::uint16_t identifier, std::uint16_t sequence,
                               std::uint32_t timestamp);
  // Internet checksum (RFC 1071) as stored in the packet.
  static std::uint16_t Checksum(const unsigned char* data, std::size_t length);

 private:
  // Checks one datagram; true with `result` filled when it answers `sequence`.
  bool MatchReply(const unsigned char* data, std::size_t length, std::uint16_t sequence,
                  std::uint32_t receiveTime, PingResult* result) const;

  int socket_ = -1;
  bool raw_ = false;
  std::uint16_t identifier_ = 0;
  std::array<unsigned char, kRequestSize> request_{};
  std::string setupError_;
  std::string lastError_;
};

// First IPv4 address of `name` as dotted text; empty when the lookup fails.
std::string ResolveHost(const std::string& name);

}  // namespace orvane
