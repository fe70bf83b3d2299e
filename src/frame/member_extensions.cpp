#include "frame/member_extensions.h"

#include <string>
#include <utility>
#include <vector>

namespace qxvb {

namespace {
std::vector<std::pair<std::string, MemberExtension>>& extensions() {
  static std::vector<std::pair<std::string, MemberExtension>> list;
  return list;
}
}  // namespace

bool addMemberExtension(std::string_view className, MemberExtension ext) {
  extensions().emplace_back(std::string(className), ext);
  return true;
}

void applyMemberExtensions(std::string_view className, DispatchTable& table) {
  for (const auto& [name, ext] : extensions()) {
    if (name == className) ext(table);
  }
}

}  // namespace qxvb
