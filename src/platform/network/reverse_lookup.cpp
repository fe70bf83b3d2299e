#include "platform/network/reverse_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace qxvb::platform {

std::optional<std::uint32_t> parseIpv4Address(std::string_view text) {
  const std::string asCString(text.substr(0, text.find('\0')));
  const in_addr_t address = inet_addr(asCString.c_str());
  if (address == INADDR_NONE) return std::nullopt;
  return address;
}

ReverseLookupResult reverseLookup(std::string_view address) {
  ReverseLookupResult result;
  const auto parsed = parseIpv4Address(address);
  if (!parsed) {
    result.status = ReverseLookupStatus::InvalidAddress;
    return result;
  }
  sockaddr_in socketAddress{};
  socketAddress.sin_family = AF_INET;
  socketAddress.sin_addr.s_addr = *parsed;
  char host[NI_MAXHOST] = {};
  const int rc = getnameinfo(reinterpret_cast<const sockaddr*>(&socketAddress),
                             sizeof socketAddress, host, sizeof host, nullptr, 0, NI_NAMEREQD);
  if (rc == 0) {
    result.status = ReverseLookupStatus::Ok;
    result.hostName = host;
    return result;
  }
  result.status = (rc == EAI_MEMORY || rc == EAI_SYSTEM) ? ReverseLookupStatus::SocketError
                                                         : ReverseLookupStatus::NoEntry;
  result.detail = rc == EAI_SYSTEM ? std::strerror(errno) : gai_strerror(rc);
  return result;
}

}  // namespace qxvb::platform
