#include "download/IcmpPinger.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "download/MillisecondClock.h"

namespace orvane {

namespace {

std::atomic<std::uint16_t> g_sequence{0};  // process-wide echo sequence

constexpr int kWaitSliceMs = 100;

void PutLittle16(unsigned char* at, std::uint16_t value) {
  at[0] = static_cast<unsigned char>(value & 0xFF);
  at[1] = static_cast<unsigned char>(value >> 8);
}

std::uint16_t GetLittle16(const unsigned char* at) {
  return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

std::uint32_t GetLittle32(const unsigned char* at) {
  return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
         (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

std::string ErrnoText(int error) { return std::string(std::strerror(error)) + " (errno " + std::to_string(error) + ")"; }

}  // namespace

IcmpPinger::IcmpPinger() {
  identifier_ = static_cast<std::uint16_t>(::getpid() & 0xFFFF);
  socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (socket_ >= 0) return;
  const int datagramError = errno;
  socket_ = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (socket_ >= 0) {
    raw_ = true;
    return;
  }
  const int rawError = errno;
  setupError_ = "ICMP datagram socket: " + ErrnoText(datagramError) +
                " (net.ipv4.ping_group_range does not include this group); raw ICMP socket: " +
                ErrnoText(rawError) + " (needs root or CAP_NET_RAW)";
}

IcmpPinger::~IcmpPinger() {
  if (socket_ >= 0) ::close(socket_);
}

std::uint16_t IcmpPinger::Checksum(const unsigned char* data, std::size_t length) {
  std::uint32_t sum = 0;
  std::size_t i = 0;
  for (; i + 1 < length; i += 2) sum += static_cast<std::uint32_t>((data[i] << 8) | data[i + 1]);
  if (i < length) sum += static_cast<std::uint32_t>(data[i] << 8);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint16_t>(~sum & 0xFFFF);
}

void IcmpPinger::BuildEchoRequest(unsigned char* buffer, std::uint16_t identifier, std::uint16_t sequence,
                                  std::uint32_t timestamp) {
  std::memset(buffer, 0, kRequestSize);
  buffer[0] = 8;  // echo request
  buffer[1] = 0;
  PutLittle16(buffer + 4, identifier);
  PutLittle16(buffer + 6, sequence);
  for (int i = 0; i < 4; ++i) buffer[8 + i] = static_cast<unsigned char>(timestamp >> (8 * i));
  const std::uint16_t checksum = Checksum(buffer, kRequestSize);
  buffer[2] = static_cast<unsigned char>(checksum >> 8);  // network order, as summed
  buffer[3] = static_cast<unsigned char>(checksum & 0xFF);
}

bool IcmpPinger::MatchReply(const unsigned char* data, std::size_t length, std::uint16_t sequence,
                            std::uint32_t receiveTime, PingResult* result) const {
  std::size_t headerLength = 0;
  int ttl = 0;
  if (raw_) {
    if (length < 1) return false;
    headerLength = static_cast<std::size_t>(data[0] & 0x0F) * 4;
    if (headerLength < 20 || length < headerLength) return false;
    ttl = data[8];
  }
  if (length < headerLength + 12) return false;
  const unsigned char* icmp = data + headerLength;
  if (icmp[0] != 0) return false;  // not an echo reply
  // A datagram socket's identifier is chosen by the kernel, which delivers only our replies.
  if (raw_ && GetLittle16(icmp + 4) != identifier_) return false;
  if (GetLittle16(icmp + 6) != sequence) return false;
  result->sequence = sequence;
  result->roundTripMs = receiveTime - GetLittle32(icmp + 8);
  result->dataLength = static_cast<int>(length - headerLength - 12);
  result->ttl = ttl;
  return true;
}

bool IcmpPinger::PingHost(const std::string& address, PingResult* result, std::uint32_t timeoutMs) {
  lastError_.clear();
  if (!IsValid()) {
    lastError_ = "no ICMP socket: " + setupError_;
    return false;
  }
  sockaddr_in destination{};
  destination.sin_family = AF_INET;
  if (::inet_pton(AF_INET, address.c_str(), &destination.sin_addr) != 1) {
    lastError_ = "not a dotted IPv4 address: \"" + address + "\"";
    return false;
  }
  const std::uint32_t sendTime = MillisecondClock();
  const std::uint16_t sequence = static_cast<std::uint16_t>(++g_sequence);
  BuildEchoRequest(request_.data(), identifier_, sequence, sendTime);
  if (::sendto(socket_, request_.data(), request_.size(), 0, reinterpret_cast<const sockaddr*>(&destination),
               sizeof destination) < 0) {
    lastError_ = "sendto " + address + ": " + ErrnoText(errno);
    return false;
  }
  if (result == nullptr) return true;

  unsigned char reply[kReplyBufferSize];
  for (;;) {
    pollfd wait{socket_, POLLIN, 0};
    if (::poll(&wait, 1, kWaitSliceMs) > 0 && (wait.revents & POLLIN)) {
      const std::uint32_t receiveTime = MillisecondClock();
      const ssize_t got = ::recv(socket_, reply, sizeof reply, MSG_DONTWAIT);
      if (got > 0 && MatchReply(reply, static_cast<std::size_t>(got), sequence, receiveTime, result)) return true;
    }
    if (MillisecondClock() - sendTime >= timeoutMs) {
      lastError_ = "no echo reply from " + address + " within " + std::to_string(timeoutMs) + " ms";
      return false;
    }
  }
}

std::string ResolveHost(const std::string& name) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return {};
  char text[INET_ADDRSTRLEN] = {};
  const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  const bool ok = ::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr;
  ::freeaddrinfo(found);
  return ok ? std::string(text) : std::string();
}

}  // namespace orvane
