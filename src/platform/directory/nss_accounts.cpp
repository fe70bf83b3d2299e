#include "platform/directory/nss_accounts.h"

#include <grp.h>
#include <pwd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

#include "platform/network/netconfig.h"

namespace qxvb::platform::nss {

namespace {

// getpwent and getgrent walk one process-wide cursor each.
std::mutex& enumerationMutex() {
  static std::mutex mutex;
  return mutex;
}

bool contains(const std::vector<AccountName>& accounts, std::string_view name) {
  return std::any_of(accounts.begin(), accounts.end(),
                     [&](const AccountName& account) { return account.name == name; });
}

struct GroupInfo {
  gid_t gid = 0;
  std::vector<std::string> members;
};

std::optional<GroupInfo> lookUpGroup(const std::string& name) {
  std::vector<char> buffer(4096);
  group entry{};
  group* found = nullptr;
  for (;;) {
    const int rc = getgrnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found);
    if (rc == ERANGE && buffer.size() < (1u << 24)) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (rc != 0 || found == nullptr) return std::nullopt;
    break;
  }
  GroupInfo info;
  info.gid = entry.gr_gid;
  for (char** member = entry.gr_mem; member != nullptr && *member != nullptr; ++member) {
    info.members.emplace_back(*member);
  }
  return info;
}

bool isUser(const std::string& name) {
  std::vector<char> buffer(4096);
  passwd entry{};
  passwd* found = nullptr;
  while (getpwnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
         buffer.size() < (1u << 24)) {
    buffer.resize(buffer.size() * 2);
  }
  return found != nullptr;
}

AccountName listedMember(const std::string& name, const std::string& computer) {
  AccountName member{computer, name, !isUser(name) && lookUpGroup(name).has_value()};
  const size_t backslash = name.find('\\');
  if (backslash != std::string::npos && backslash > 0) {
    member.container = name.substr(0, backslash);
    member.name = name.substr(backslash + 1);
  }
  return member;
}

}  // namespace

std::vector<AccountName> listUsers() {
  const std::string container = shortHostName();
  std::vector<AccountName> users;
  std::lock_guard lock(enumerationMutex());
  setpwent();
  while (passwd* entry = getpwent()) users.push_back({container, entry->pw_name});
  endpwent();
  return users;
}

std::vector<AccountName> listGroups() {
  const std::string container = shortHostName();
  std::vector<AccountName> groups;
  std::lock_guard lock(enumerationMutex());
  setgrent();
  while (group* entry = getgrent()) groups.push_back({container, entry->gr_name});
  endgrent();
  return groups;
}

std::optional<std::vector<AccountName>> listGroupMembers(std::string_view groupName) {
  if (groupName.empty() || groupName.find('\0') != std::string_view::npos) return std::nullopt;
  const auto info = lookUpGroup(std::string(groupName));
  if (!info) return std::nullopt;
  const std::string container = shortHostName();
  std::vector<AccountName> members;
  for (const std::string& name : info->members) {
    if (!contains(members, name)) members.push_back(listedMember(name, container));
  }
  std::lock_guard lock(enumerationMutex());
  setpwent();
  while (passwd* entry = getpwent()) {
    if (entry->pw_gid == info->gid && !contains(members, entry->pw_name)) {
      members.push_back({container, entry->pw_name});
    }
  }
  endpwent();
  return members;
}

}  // namespace qxvb::platform::nss
