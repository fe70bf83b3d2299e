#include "filemanager/store_connection.h"

#include "ado/connection.h"
#include "database/qx_ado_utilities.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"

namespace qxvb::filestore {

namespace {

// The product's workspace component, reached by ProgID like every outside
// component.
constexpr const char* kWorkspaceProgId = "QXWorkspace.Workspaces";
constexpr int32_t kOracleProviderString = 55057;
constexpr int32_t kCatalogItemString = 55047;
constexpr int32_t kProviderItemString = 55054;

std::shared_ptr<ado::Connection> asConnection(const Object& object) {
  auto connection = std::dynamic_pointer_cast<ado::Connection>(object);
  if (!connection) raiseVbError(vberr::TypeMismatch, "QXFileManager");
  return connection;
}

// Opens a connection from its string; on Oracle without the catalog item,
// switching the session to the schema it named.
std::shared_ptr<ado::Connection> openFromString(std::string connectionString, bool& oracle) {
  QX_ADO_Utilities utilities;
  const std::string provider = utilities.QX_ADO_ReadItemFromConnectionString(
      localString(kProviderItemString), connectionString);
  oracle = provider == localString(kOracleProviderString);
  std::string schema;
  if (oracle) {
    schema = utilities.QX_ADO_ReadItemFromConnectionString(localString(kCatalogItemString),
                                                           connectionString);
    utilities.QX_ADO_RemoveItemFromConnectionString(localString(kCatalogItemString),
                                                    connectionString);
  }
  auto connection = std::make_shared<ado::Connection>();
  connection->Open(connectionString);
  if (oracle) connection->Execute("alter session set current_schema = \"" + schema + "\"");
  return connection;
}

}  // namespace

OpenedStore openStore(const Object& connection, const std::string& connectionString, int32_t wsid) {
  OpenedStore opened;
  StoreSetup& setup = opened.setup;
  if (connection) {
    setup.connection = asConnection(connection);
    setup.oracle = setup.connection->Provider() == localString(kOracleProviderString);
  } else {
    setup.connection = openFromString(connectionString, setup.oracle);
    opened.ownsConnection = true;
  }
  setup.parameterBase = setup.oracle ? 0 : 1;
  opened.settingsAppName = setup.oracle ? "TembraO" : "Tembra";

  Object component = createObject(kWorkspaceProgId);
  std::vector<Variant> args{Variant(connectionString), Variant(Object(setup.connection)),
                            Variant(false), Variant(false)};
  component->invoke("OpenRepository", kMethod, args);
  auto given = std::dynamic_pointer_cast<ado::Connection>(CObj(args[1]));
  if (given && given != setup.connection) {
    setup.connection = given;
    opened.ownsConnection = true;
  }
  setup.workspaces = !CBool(args[2]) || CBool(args[3]);
  setup.wid = wsid == 0 ? 1 : wsid;
  if (setup.workspaces) {
    opened.workspace = readWorkspaceTree(*setup.connection, setup.oracle, setup.wid);
    setup.filesView = filesViewName(*setup.connection, setup.oracle, setup.wid);
  }
  return opened;
}

}  // namespace qxvb::filestore
