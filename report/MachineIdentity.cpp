#include "report/MachineIdentity.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdint>
#include <mutex>
#include <random>

#include "app/Log.h"
#include "platform/NetworkAdapters.h"
#include "report/IdText.h"

namespace orvane {
namespace {

constexpr std::size_t kCountedAdapters = 3;
constexpr std::size_t kInstallIdDraws = 256;
constexpr const char* kAdapterReadFailed = "failed to call GetAdaptersInfo";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string joined;
  for (const auto& part : parts) {
    if (!joined.empty()) joined += ":";
    joined += part;
  }
  return joined;
}

std::string HexOf(const unsigned char* bytes, std::size_t count, const char* format) {
  std::string text;
  char digits[3];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(digits, sizeof digits, format, bytes[i]);
    text += digits;
  }
  return text;
}

// The generator behind install ids: seeded once per process from the system's
// random source, shared by all threads under its mutex.
struct InstallIdSource {
  std::mutex mutex;
  std::mt19937 generator;
  std::string lastId;

  InstallIdSource() {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device(), device(), device(), device(), device()};
    generator.seed(seed);
  }
};

InstallIdSource& GetInstallIdSource() {
  static InstallIdSource source;
  return source;
}

bool Md5(const unsigned char* data, std::size_t size, unsigned char digest[16]) {
  unsigned int length = 0;
  return EVP_Digest(data, size, digest, &length, EVP_md5(), nullptr) == 1 && length == 16;
}

}  // namespace

const std::array<const char*, 9>& VirtualAdapterPrefixes() {
  static const std::array<const char*, 9> prefixes = {"00-05-69", "00-0C-29", "00-50-56", "00-1c-14", "00-1C-42",
                                                      "00-03-FF", "00-0F-4B", "00-16-3E", "08-00-27"};
  return prefixes;
}

bool IsVirtualAddress(const std::string& addressText) {
  const std::string address = Lower(addressText);
  for (const char* prefix : VirtualAdapterPrefixes()) {
    if (address.find(Lower(prefix)) != std::string::npos) return true;
  }
  return false;
}

std::string AdapterAddressText(const platform::NetworkAdapter& adapter) {
  char text[18];
  const auto& a = adapter.address;
  std::snprintf(text, sizeof text, "%02x-%02x-%02x-%02x-%02x-%02x", a[0], a[1], a[2], a[3], a[4], a[5]);
  return text;
}

std::string NewUuidText() {
  std::random_device device;
  unsigned char bytes[16];
  for (std::size_t i = 0; i < sizeof bytes; i += 4) {
    const std::uint32_t word = device();
    for (std::size_t k = 0; k < 4; ++k) bytes[i + k] = static_cast<unsigned char>(word >> (8 * k));
  }
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  return HexOf(bytes, sizeof bytes, "%02X");
}

std::string NewInstallId() {
  InstallIdSource& source = GetInstallIdSource();
  std::lock_guard lock(source.mutex);
  unsigned char slots[kInstallIdDraws * 4];
  for (std::size_t i = 0; i < kInstallIdDraws; ++i) {
    const std::uint32_t value = source.generator() & 0x7FFF;  // 0 to 32767
    for (std::size_t k = 0; k < 4; ++k) slots[i * 4 + k] = static_cast<unsigned char>(value >> (8 * k));
  }
  unsigned char digest[16];
  if (!Md5(slots, sizeof slots, digest)) return source.lastId;
  source.lastId = HexOf(digest, sizeof digest, "%02x");
  return source.lastId;
}

std::string LastInstallId() {
  InstallIdSource& source = GetInstallIdSource();
  std::lock_guard lock(source.mutex);
  return source.lastId;
}

std::vector<std::string> ListAdapterAddressesOf(const std::vector<platform::NetworkAdapter>& adapters) {
  std::vector<std::string> addresses;
  for (std::size_t i = 0; i < adapters.size() && i < kCountedAdapters; ++i) {
    const std::string address = AdapterAddressText(adapters[i]);
    if (!IsVirtualAddress(address)) addresses.push_back(address);
  }
  std::sort(addresses.begin(), addresses.end());
  return addresses;
}

std::vector<std::string> ListAdapterAddresses() {
  std::vector<platform::NetworkAdapter> adapters;
  if (!platform::ReadNetworkAdapters(adapters)) return {};
  return ListAdapterAddressesOf(adapters);
}

std::string GetFirstAdapterAddressesOf(const std::vector<platform::NetworkAdapter>& adapters) {
  std::vector<std::string> addresses;
  for (std::size_t i = 0; i < adapters.size() && i < kCountedAdapters; ++i) {
    addresses.push_back(AdapterAddressText(adapters[i]));
  }
  return Join(addresses);
}

std::string GetFirstAdapterAddresses() {
  std::vector<platform::NetworkAdapter> adapters;
  if (!platform::ReadNetworkAdapters(adapters)) {
    WriteLog("%s", kAdapterReadFailed);
    return "";
  }
  return GetFirstAdapterAddressesOf(adapters);
}

std::string GetMachineIdOf(const std::vector<platform::NetworkAdapter>& adapters) {
  std::vector<std::string> filtered;
  std::vector<std::string> physical;
  for (std::size_t i = 0; i < adapters.size(); ++i) {
    const std::string address = AdapterAddressText(adapters[i]);
    if (i < kCountedAdapters && !IsVirtualAddress(address)) filtered.push_back(address);
    if (adapters[i].physical) physical.push_back(address);
  }
  std::string result = Join(physical);
  if (result.empty()) result = Join(filtered);
  if (result.empty()) result = GetFirstAdapterAddressesOf(adapters);
  return SortIdList(result);
}

std::string GetMachineId() {
  std::vector<platform::NetworkAdapter> adapters;
  if (!platform::ReadNetworkAdapters(adapters)) {
    WriteLog("%s", kAdapterReadFailed);
    return SortIdList(GetFirstAdapterAddresses());
  }
  return GetMachineIdOf(adapters);
}

bool IsPhysicalAdapter(const std::string& adapterName) { return platform::IsPhysicalNetworkAdapter(adapterName); }

}  // namespace orvane
