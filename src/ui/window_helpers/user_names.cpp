#include "ui/window_helpers/user_names.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "frame/catalogue.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "network/directory_domain.h"
#include "network/qx_network_params.h"
#include "platform/text/ascii.h"
#include "text/product_setting.h"

namespace qxvb::gui {

namespace {

constexpr int32_t kNameUserPrincipal = 8;
constexpr int32_t kNameSamCompatible = 2;
constexpr int32_t kNameDisplay = 3;
constexpr int32_t kSamSettingText = 56375;
constexpr int32_t kSectionText = 55028;

struct Account {
  std::string name;
  std::string gecos;
};

bool currentAccount(Account& account) {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr) {
    return false;
  }
  account.name = entry.pw_name != nullptr ? entry.pw_name : "";
  account.gecos = entry.pw_gecos != nullptr ? entry.pw_gecos : "";
  return true;
}

std::string hostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  std::string host = name;
  return host.substr(0, host.find('.'));
}

// The number of the setting that picks the SAM-compatible form's source;
// 0 when it cannot be read.
int32_t samSetting() {
  try {
    constexpr int32_t kLongestValue = 64;
    const std::optional<std::string> value =
        productSetting(localString(kSamSettingText), localString(kSectionText), kLongestValue);
    return value ? static_cast<int32_t>(Val(*value)) : 0;
  } catch (...) {
    return 0;
  }
}

}  // namespace

std::string windowsUserName() {
  Account account;
  if (!currentAccount(account) || account.name.size() >= 32) return {};
  return account.name;
}

std::string windowsUserNameEx(int32_t format) {
  if (format == kNameSamCompatible) {
    int32_t source = samSetting();
    if (source == 0) source = 2;
    if (source == 1) {
      auto network = globalInstanceOf<QX_NetworkParams>("QX_NetworkParams");
      return network->QX_NP_GetDomainName() + "\\" + windowsUserName();
    }
  }
  Account account;
  if (!currentAccount(account)) return {};
  std::string domain;
  try {
    domain = directoryDomainName();
  } catch (...) {
    domain.clear();
  }
  switch (format) {
    case kNameSamCompatible:
      // A local account is qualified by the computer's name.
      return ascii::toUpper(domain.empty() ? hostName() : domain) + "\\" + account.name;
    case kNameDisplay:
      return account.gecos.substr(0, account.gecos.find(','));
    case kNameUserPrincipal:
      if (domain.empty()) return {};
      return account.name + "@" + ascii::toUpper(domain);
    default:
      return {};
  }
}

}  // namespace qxvb::gui
