#pragma once
// Measures the round-trip time to a mirror host. The engine asks this seam for
// every regular mirror; IcmpHostPinger does it with ICMP echo, tests give each
// host the time they want.
#include <cstdint>
#include <string>

namespace orvane {

class IHostPinger {
 public:
  virtual ~IHostPinger() = default;
  // `host` is a dotted IPv4 address or a host name, without port. True with the
  // round-trip time in `rttMs` when an echo came back. Runs on the descriptor thread.
  virtual bool Ping(const std::string& host, std::uint32_t& rttMs) = 0;
};

// ICMP echo: the host text as an address first, then its resolved address,
// each waited for up to `timeoutMs`. Every failure is logged with its reason.
class IcmpHostPinger : public IHostPinger {
 public:
  explicit IcmpHostPinger(std::uint32_t timeoutMs = 2000) : timeoutMs_(timeoutMs) {}
  bool Ping(const std::string& host, std::uint32_t& rttMs) override;

 private:
  std::uint32_t timeoutMs_;
};

}  // namespace orvane
