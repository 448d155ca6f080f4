#pragma once
// The machine's network adapters, in the system's interface order (loopback
// left out), as the identity services read them.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::platform {

struct NetworkAdapter {
  std::string name;                      // interface name, e.g. "eth0"
  std::array<std::uint8_t, 6> address{};  // first six bytes of the hardware address (zeros when shorter)
  bool physical = false;                 // backed by a hardware device
};

// Reads the adapters of the running system. False when the list cannot be read.
bool ReadNetworkAdapters(std::vector<NetworkAdapter>& adapters);
// The same from a folder laid out like /sys/class/net (one sub-folder per
// interface with "ifindex", "address" and, for hardware, a "device" link).
bool ReadNetworkAdaptersFrom(const std::string& classNetFolder, std::vector<NetworkAdapter>& adapters);
// True when the named adapter of the running system is backed by a hardware device.
bool IsPhysicalNetworkAdapter(const std::string& name);

}  // namespace orvane::platform
