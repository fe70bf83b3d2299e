#include "components/workspace/workspace_component.h"

#include "ado/ado_constants.h"
#include "ado/connection.h"
#include "filemanager/workspaces.h"
#include "frame/automation_error.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"

namespace qxvb::workspace {

namespace {

bool isOpenConnection(const Object& connection) {
  auto ado = std::dynamic_pointer_cast<ado::Connection>(connection);
  return ado && ado->State() == ado::adStateOpen;
}

}  // namespace

bool hasWorkspaceObjects(const Object& connection) {
  auto ado = std::dynamic_pointer_cast<ado::Connection>(connection);
  if (!ado) return false;
  const bool oracle = ado->Provider() == localString(55057);
  try {
    ado->Execute(filestore::workspaceTreeQuery(oracle));
    return true;
  } catch (const AutomationError&) {
    return false;
  }
}

void WorkspaceComponent::OpenRepository(const std::string& connectionString, Object& connection,
                                        bool& singleSpace, bool& forced) {
  if (!isOpenConnection(connection)) {
    auto opened = std::make_shared<ado::Connection>();
    opened->Open(connectionString);
    connection = opened;
  }
  singleSpace = !hasWorkspaceObjects(connection);
  forced = forceWorkspaces;
}

const DispatchTable& WorkspaceComponent::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Workspaces");
    Members<WorkspaceComponent>(t)
        .method("OpenRepository",
                {in("ConnectionString"), ref("Connection"), ref("SingleSpace"), ref("Forced")},
                [](WorkspaceComponent& w, CallArgs& a) {
                  Object connection = a[1].isMissing() || a[1].isEmpty() ? Object() : a.object(1);
                  bool single = false;
                  bool forced = false;
                  w.OpenRepository(a.str(0), connection, single, forced);
                  a.set(1, Variant(connection));
                  a.set(2, Variant(single));
                  a.set(3, Variant(forced));
                  return Variant();
                })
        .get("ForceWorkspaces", {},
             [](WorkspaceComponent& w, CallArgs&) { return Variant(w.forceWorkspaces); })
        .put("ForceWorkspaces", {in("Value")}, [](WorkspaceComponent& w, CallArgs& a) {
          w.forceWorkspaces = a.boolean(0);
          return Variant();
        });
    return t;
  }();
  return table;
}

Object makeWorkspaceComponent() {
  return std::make_shared<WorkspaceComponent>();
}

}  // namespace qxvb::workspace
