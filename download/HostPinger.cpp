#include "download/HostPinger.h"

#include "app/Log.h"
#include "download/IcmpPinger.h"

namespace orvane {

bool IcmpHostPinger::Ping(const std::string& host, std::uint32_t& rttMs) {
  IcmpPinger pinger;
  if (!pinger.IsValid()) {
    WriteLog("Download_CheckPing : no ICMP socket for %s: %s.", host.c_str(), pinger.SetupError().c_str());
    return false;
  }
  PingResult result;
  if (pinger.PingHost(host, &result, timeoutMs_)) {
    rttMs = result.roundTripMs;
    return true;
  }
  const std::string firstError = pinger.LastError();
  const std::string address = ResolveHost(host);
  if (address.empty()) {
    WriteLog("Download_CheckPing : %s: %s; the name does not resolve.", host.c_str(), firstError.c_str());
    return false;
  }
  if (pinger.PingHost(address, &result, timeoutMs_)) {
    rttMs = result.roundTripMs;
    return true;
  }
  WriteLog("Download_CheckPing : %s (%s): %s.", host.c_str(), address.c_str(), pinger.LastError().c_str());
  return false;
}

}  // namespace orvane
