// Failures of the directory members. Binding the root or the naming
// context fails with error -1 directly; every later failure is carried
// outward as an error chain: the caught error is stored in an error
// helper, wrapped with the directory members' source and an explanation,
// and re-raised with the whole chain in its description.
#pragma once

#include <cstdint>
#include <string_view>

#include "frame/automation_error.h"
#include "platform/directory/ldap_connection.h"

namespace qxvb {

inline constexpr std::string_view kDirectorySource = "QX_NP_AllActiveDirectoryUsers";
inline constexpr int32_t kDirectoryBindingFailed = -1;
// HRESULT of a domain that does not exist or cannot be contacted.
inline constexpr int32_t kNoSuchDomain = static_cast<int32_t>(0x8007054B);

// Raises -1 with the directory members' source.
[[noreturn]] void raiseBindingFailure(std::string_view description);

// A directory failure as the directory provider reports it: the HRESULT
// for the LDAP result code, the provider's name as source, libldap's text.
AutomationError directoryFailure(const platform::directory::DirectoryStatus& status);

// Stores `caught` in an error helper, wraps it with the directory members'
// source and a description extended with the explanations of the string
// table, and re-raises the chain.
[[noreturn]] void raiseThroughErrorChain(const AutomationError& caught);

}  // namespace qxvb
