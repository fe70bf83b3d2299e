#include "network/directory_errors.h"

#include <ldap.h>

#include <memory>
#include <string>

#include "error_helper/error_helper.h"
#include "frame/err_object.h"
#include "frame/string_table.h"

namespace qxvb {

namespace {

constexpr std::string_view kProviderSource = "Active Directory Provider";
constexpr std::string_view kLineBreak = "\r\n";

// The Windows error the directory provider reports for an LDAP result.
int32_t providerNumber(int ldapCode) {
  switch (ldapCode) {
    case LDAP_SERVER_DOWN:
    case LDAP_CONNECT_ERROR:
    case LDAP_TIMEOUT:
      return kNoSuchDomain;
    case LDAP_INVALID_CREDENTIALS:
      return static_cast<int32_t>(0x8007052E);  // logon failure
    case LDAP_INSUFFICIENT_ACCESS:
      return static_cast<int32_t>(0x80070005);  // access denied
    case LDAP_NO_SUCH_OBJECT:
      return static_cast<int32_t>(0x80072030);
    case LDAP_SIZELIMIT_EXCEEDED:
      return static_cast<int32_t>(0x80072023);
    case LDAP_TIMELIMIT_EXCEEDED:
      return static_cast<int32_t>(0x80072024);
    default:
      return static_cast<int32_t>(0x80004005);  // unspecified failure
  }
}

std::string extendedDescription(const std::string& description, int32_t number) {
  std::string text = description;
  text += std::string(kLineBreak) + localString(41143);
  if (number == kNoSuchDomain) text += std::string(kLineBreak) + localString(41144);
  text += std::string(kLineBreak) + localString(41145);
  return text;
}

}  // namespace

void raiseBindingFailure(std::string_view description) {
  raiseError(kDirectoryBindingFailed, kDirectorySource, description);
}

AutomationError directoryFailure(const platform::directory::DirectoryStatus& status) {
  return AutomationError(providerNumber(status.code), std::string(kProviderSource), status.message);
}

void raiseThroughErrorChain(const AutomationError& caught) {
  QX_ErrorHelper helper;
  helper.Store(std::make_shared<ErrObject>(caught));
  const std::string description =
      extendedDescription(helper.DescriptionAsString(QX_Error_Final), caught.number());
  helper.WrapStoredError(caught.number(), std::string(kDirectorySource), description);
  helper.ReRaise(QX_Error_Full);
}

}  // namespace qxvb
