#include "database/qx_ado_utilities.h"

#include "frame/module_state.h"

namespace qxvb {

QX_ADO_Utilities::QX_ADO_Utilities() = default;

QX_ADO_Utilities::QX_ADO_Utilities(AdoSettingsCache::Reader settingsReader)
    : settings_(std::move(settingsReader)) {}

const DispatchTable& QX_ADO_Utilities::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QX_ADO_Utilities");
    Members<QX_ADO_Utilities> members(t);
    addConnectionStringMembers(members);
    addConstructionMembers(members);
    addUdlMembers(members);
    addDiscoveryMembers(members);
    addCheckMembers(members);
    addExclusiveAccessMembers(members);
    addExportMembers(members);
    return t;
  }();
  return table;
}

Object makeQX_ADO_Utilities() {
  return std::make_shared<QX_ADO_Utilities>();
}

std::shared_ptr<QX_ADO_Utilities> sharedQX_ADO_Utilities() {
  return std::static_pointer_cast<QX_ADO_Utilities>(
      sharedObject("QX_ADO_Utilities", makeQX_ADO_Utilities));
}

}  // namespace qxvb
