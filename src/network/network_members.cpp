// The network configuration and host-name members of QX_NetworkParams.
#include <cstdint>
#include <exception>
#include <optional>
#include <string>

#include "frame/automation_error.h"
#include "frame/error_codes.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "network/product_settings.h"
#include "network/qx_network_params.h"
#include "platform/network/reverse_lookup.h"

namespace qxvb {

namespace {

constexpr std::string_view kHostLookupSource = "QXVBUtils.QX_NetworkParams.QX_NP_GetHostNameFromIP";

enum Field : int {
  kHostName = 0,
  kDomainName = 1,
  kCurrentDnsServer = 2,
  kDnsServerList = 3,
  kNodeType = 4,
  kScopeId = 5,
  kEnableRouting = 6,
  kEnableProxy = 7,
  kEnableDns = 8,
};

// Text ids: the setting that says where the domain name comes from, and
// its section.
constexpr int32_t kDomainNameSourceItem = 56374;
constexpr int32_t kDomainNameSourceSection = 55028;
constexpr int32_t kDomainNameSourceLength = 64;
constexpr int kDomainFromNetworkRecord = 1;
constexpr int kNoDomainName = 2;

// The record's numeric fields are 32-bit values, which callers read as Long.
Variant longField(uint32_t value) {
  return Variant(static_cast<int32_t>(value));
}

std::string textField(const Variant& value) {
  const std::string* text = value.get<std::string>();
  return text != nullptr ? *text : std::string();
}

int32_t numberField(const Variant& value) {
  const int32_t* number = value.get<int32_t>();
  return number != nullptr ? *number : 0;
}

// Where the domain name comes from when the computer is in no directory
// domain: the setting's number, 0 counting as "none".
int domainNameSource() {
  int source = 0;
  try {
    const std::optional<std::string> value =
        productSetting(componentText(kDomainNameSourceItem),
                       componentText(kDomainNameSourceSection), kDomainNameSourceLength);
    if (value) source = static_cast<int>(Val(*value));
  } catch (const std::exception&) {
    source = 0;
  }
  return source == 0 ? kNoDomainName : source;
}

}  // namespace

Variant QX_NetworkParams::networkField(int index) const {
  const platform::NetworkParams record = platform::readNetworkParams(sources_.network);
  switch (index) {
    case kHostName:
      return Variant(record.hostName);
    case kDomainName:
      return Variant(record.domainName);
    case kCurrentDnsServer:
      return Variant(record.dnsServers.empty() ? std::string() : record.dnsServers.front());
    case kDnsServerList: {
      // The first entry is part of the record itself, so the list always
      // has one, empty when no server is configured.
      StringArray list;
      list.items = record.dnsServers;
      if (list.items.empty()) list.items.emplace_back();
      return Variant(std::move(list));
    }
    case kNodeType:
      return longField(record.nodeType);
    case kScopeId:
      return Variant(record.scopeId);
    case kEnableRouting:
      return longField(record.enableRouting);
    case kEnableProxy:
      return longField(record.enableProxy);
    case kEnableDns:
      return longField(record.enableDns);
    default:
      return Variant();
  }
}

std::string QX_NetworkParams::QX_NP_GetHostName() {
  return textField(networkField(kHostName));
}

std::string QX_NetworkParams::QX_NP_GetDomainName() {
  std::string name;
  try {
    name = directoryDomainName(sources_.directoryDomain);
  } catch (const std::exception&) {
    name.clear();
  }
  if (!name.empty()) return name;
  if (domainNameSource() != kDomainFromNetworkRecord) return {};
  return textField(networkField(kDomainName));
}

std::string QX_NetworkParams::QX_NP_GetCurrentDnsServer() {
  return textField(networkField(kCurrentDnsServer));
}

StringArray QX_NetworkParams::QX_NP_GetDnsServerList() {
  Variant list = networkField(kDnsServerList);
  StringArray* array = list.get<StringArray>();
  if (array == nullptr) raiseVbError(vberr::TypeMismatch);
  return std::move(*array);
}

int32_t QX_NetworkParams::QX_NP_GetNodeType() {
  return numberField(networkField(kNodeType));
}

std::string QX_NetworkParams::QX_NP_GetScopeID() {
  return textField(networkField(kScopeId));
}

int32_t QX_NetworkParams::QX_NP_GetEnableRouting() {
  return numberField(networkField(kEnableRouting));
}

int32_t QX_NetworkParams::QX_NP_GetEnableProxy() {
  return numberField(networkField(kEnableProxy));
}

int32_t QX_NetworkParams::QX_NP_GetEnableDNS() {
  return numberField(networkField(kEnableDns));
}

std::string QX_NetworkParams::QX_NP_GetCurrentDnsServerName() {
  return QX_NP_GetHostNameFromIP(QX_NP_GetCurrentDnsServer());
}

StringArray QX_NetworkParams::QX_NP_GetDnsServerListNames() {
  StringArray names = QX_NP_GetDnsServerList();
  for (std::string& entry : names.items) entry = QX_NP_GetHostNameFromIP(entry);
  return names;
}

std::string QX_NetworkParams::QX_NP_GetHostNameFromIP(const std::string& sAddress) {
  const platform::ReverseLookupResult found = platform::reverseLookup(sAddress);
  switch (found.status) {
    case platform::ReverseLookupStatus::Ok:
      return found.hostName;
    case platform::ReverseLookupStatus::InvalidAddress:
      raiseError(enuErrorInvalidIPAddress, kHostLookupSource, localString(41139));
    case platform::ReverseLookupStatus::NoEntry:
      raiseError(enuErrorCallingGetHostByAddr, kHostLookupSource, localString(41138));
    case platform::ReverseLookupStatus::SocketError:
      break;
  }
  raiseError(enuErrorWindowsSocket, kHostLookupSource, localString(41140));
}

void addNetworkMembers(Members<QX_NetworkParams>& members) {
  using Self = QX_NetworkParams;
  members.method<&Self::QX_NP_GetHostName>("QX_NP_GetHostName", {})
      .method<&Self::QX_NP_GetDomainName>("QX_NP_GetDomainName", {})
      .method<&Self::QX_NP_GetCurrentDnsServer>("QX_NP_GetCurrentDnsServer", {})
      .method<&Self::QX_NP_GetDnsServerList>("QX_NP_GetDnsServerList", {})
      .method<&Self::QX_NP_GetNodeType>("QX_NP_GetNodeType", {})
      .method<&Self::QX_NP_GetScopeID>("QX_NP_GetScopeID", {})
      .method<&Self::QX_NP_GetEnableRouting>("QX_NP_GetEnableRouting", {})
      .method<&Self::QX_NP_GetEnableProxy>("QX_NP_GetEnableProxy", {})
      .method<&Self::QX_NP_GetEnableDNS>("QX_NP_GetEnableDNS", {})
      .method<&Self::QX_NP_GetCurrentDnsServerName>("QX_NP_GetCurrentDnsServerName", {})
      .method<&Self::QX_NP_GetDnsServerListNames>("QX_NP_GetDnsServerListNames", {})
      .method<&Self::QX_NP_GetHostNameFromIP>("QX_NP_GetHostNameFromIP", {in("sAddress")});
}

}  // namespace qxvb
