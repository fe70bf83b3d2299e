// Host names of IPv4 addresses: the classic dotted-address parse and a
// reverse lookup through the system's name services (hosts file, DNS, ...).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qxvb::platform {

enum class ReverseLookupStatus {
  Ok,
  InvalidAddress,  // the text is not an IPv4 address, or is 255.255.255.255
  NoEntry,         // the name services know no name for the address
  SocketError,     // the lookup could not run at all (no memory, system error)
};

struct ReverseLookupResult {
  ReverseLookupStatus status = ReverseLookupStatus::InvalidAddress;
  std::string hostName;  // the official name when status is Ok
  std::string detail;    // the resolver's own message when the lookup failed
};

// Parses an address the way inet_addr does: dotted forms with one to four
// parts, decimal, octal or hex. The text counts up to its first NUL, as a C
// string would. The limited-broadcast address parses to all bits set, which
// inet_addr cannot tell from a failure, so it is rejected too. The result is
// in network byte order.
std::optional<std::uint32_t> parseIpv4Address(std::string_view text);

// The host name of an IPv4 address given as text.
ReverseLookupResult reverseLookup(std::string_view address);

}  // namespace qxvb::platform
