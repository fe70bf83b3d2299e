#include "network/qx_network_params.h"

#include <memory>

#include "frame/module_state.h"

namespace qxvb {

const DispatchTable& QX_NetworkParams::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QX_NetworkParams");
    Members<QX_NetworkParams> members(t);
    addNetworkMembers(members);
    addDirectoryMembers(members);
    addComputerAccountMembers(members);
    return t;
  }();
  return table;
}

Variant callMembership(QX_NetworkParams& self, CallArgs& a, MembershipMember member) {
  Object users;
  Object groups;
  try {
    (self.*member)(a.str(0), users, groups, a.str(3));
  } catch (...) {
    a.set(1, Variant(users));
    a.set(2, Variant(groups));
    throw;
  }
  a.set(1, Variant(users));
  a.set(2, Variant(groups));
  return Variant();
}

Object makeQX_NetworkParams() {
  return std::make_shared<QX_NetworkParams>();
}

std::shared_ptr<QX_NetworkParams> sharedNetworkParams() {
  return std::static_pointer_cast<QX_NetworkParams>(
      sharedObject("QX_NetworkParams", makeQX_NetworkParams));
}

}  // namespace qxvb
