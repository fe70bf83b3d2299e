// The logged-on user's names: the account name from NSS, the display name
// from its GECOS field, and the domain-qualified forms from the directory
// domain this computer belongs to.
#pragma once

#include <cstdint>
#include <string>

namespace qxvb::gui {

// The account name of the effective user; "" when it has 32 characters or
// more (the platform call's buffer) or cannot be found.
std::string windowsUserName();

// The name in the given enuQX_Extended_Name_Format form; "" where the form
// has no value for this account.
std::string windowsUserNameEx(int32_t format);

}  // namespace qxvb::gui
