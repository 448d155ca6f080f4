#pragma once
// Identifiers of the machine and of the run: GUID texts, the random install
// id, and the user id and machine id derived from network adapter addresses.
// Callable from any thread.
#include <array>
#include <string>
#include <vector>

#include "platform/NetworkAdapters.h"

namespace orvane {

// Address prefixes of virtual machines' network adapters; an address holding
// one of them anywhere, in any letter case, is virtual.
const std::array<const char*, 9>& VirtualAdapterPrefixes();
bool IsVirtualAddress(const std::string& addressText);
// "%02x-%02x-%02x-%02x-%02x-%02x" of the adapter's hardware address.
std::string AdapterAddressText(const platform::NetworkAdapter& adapter);

// A new random GUID as 32 upper-case hexadecimal digits.
std::string NewUuidText();
// A new random install id: 32 lower-case hexadecimal digits (an MD5 digest of
// 256 draws of a generator seeded once per process from the system's random
// source). Also kept as the process-wide last install id.
std::string NewInstallId();
// The id the last NewInstallId call made ("" before the first).
std::string LastInstallId();

// Sorted addresses of the non-virtual adapters among the first three; empty
// when the adapters cannot be read.
std::vector<std::string> ListAdapterAddresses();
std::vector<std::string> ListAdapterAddressesOf(const std::vector<platform::NetworkAdapter>& adapters);
// Colon-joined, sorted addresses: of the physical adapters, else of the
// non-virtual ones among the first three, else of the first three.
std::string GetMachineId();
std::string GetMachineIdOf(const std::vector<platform::NetworkAdapter>& adapters);
// The first three adapters' addresses in list order, colon-joined.
std::string GetFirstAdapterAddresses();
std::string GetFirstAdapterAddressesOf(const std::vector<platform::NetworkAdapter>& adapters);
// True when the named adapter is backed by a hardware device.
bool IsPhysicalAdapter(const std::string& adapterName);

}  // namespace orvane
