// The discovery members of QX_ADO_Utilities: the server lists of the
// server-list component, the databases or schemas of a server, opening a
// connection to a repository, the logins of a server and a workspace path.
#include <vector>

#include "ado/recordset.h"
#include "database/connection_keywords.h"
#include "database/qx_ado_utilities.h"
#include "database/repository_access.h"
#include "frame/catalogue.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "platform/scope_exit.h"
#include "platform/unicode.h"

namespace qxvb {

namespace {

constexpr const char* kDatabaseNames = "select name from sysdatabases order by name";
// The product's server-list component, reached by ProgID like every
// outside component.
constexpr const char* kServerListProgId = "QXServerList.ServerList";
constexpr const char* kOracleOwners =
    "select owner from all_tables where Table_name ='QXPROPERTIES' order by owner";
constexpr const char* kLogins = "EXEC sp_helplogins";
constexpr const char* kAuthenticationPrefix =
    "select name, value from v$parameter where name = 'os_authent_prefix'";
constexpr const char* kOracleUsers =
    "select username, default_tablespace from dba_users where default_tablespace = 'USERS' "
    "order by username";
constexpr const char* kDefaultAuthenticationPrefix = "OPS$";

// The component is made once per thread, on first use.
Object serverListComponent() {
  thread_local Object component;
  if (!component) component = createObject(kServerListProgId);
  return component;
}

std::shared_ptr<Collection> askServerList(bool localOnly) {
  std::vector<Variant> args{Variant(localOnly)};
  const Object list = CObj(serverListComponent()->invoke("GetServerList", kMethod, args));
  auto names = std::make_shared<Collection>();
  std::vector<Variant> none;
  const int32_t count = CLng(invokeOn(list, "Count", kMethod | kPropertyGet, none));
  for (int32_t i = 1; i <= count; ++i) {
    std::vector<Variant> index{Variant(i)};
    names->Add(Variant(CStr(invokeOn(list, "Item", kMethod | kPropertyGet, index))));
  }
  return names;
}

// Opens a forward-only, read-only recordset and hands every value of one
// field to add; reading stops at the first failure when tolerant is false.
// When tolerant, a row whose value cannot be read or added is passed over,
// and only a failure to move on ends the reading.
template <class Add>
void forEachValue(const std::shared_ptr<ado::Connection>& connection, const std::string& sql,
                  int32_t options, const std::string& field, Add add, bool tolerant = false) {
  ado::Recordset rows;
  rows.Open(Variant(sql), Variant(std::static_pointer_cast<Dispatch>(connection)), 0, 1, options);
  while (!rows.Eof()) {
    try {
      add(rows.Collect(Variant(field)));
    } catch (const std::exception&) {
      if (!tolerant) throw;
    }
    try {
      rows.MoveNext();
    } catch (const std::exception&) {
      if (!tolerant) throw;
      break;
    }
  }
  rows.Close();
}

// A name keyed by itself, so a repeated name fails to add.
void addKeyed(Collection& names, const std::string& name) {
  names.Add(Variant(name), name);
}

// The path's parts joined with " \ "; a Null part is an empty text.
void appendPathPart(std::string& path, bool first, const Variant& part) {
  if (!first) path += " \\ ";
  if (!part.isNull()) path += CStr(part);
}

}  // namespace

int32_t QX_ADO_Utilities::QX_ADO_GetSQLServerList(Object& colServerNames) {
  try {
    auto names = askServerList(false);
    colServerNames = names;
    return names->Count();
  } catch (const std::exception&) {
    return 0;
  }
}

int32_t QX_ADO_Utilities::QX_ADO_GetLocalServerList2(Object& colServerNames, bool bDontUseCache) {
  try {
    auto names = std::make_shared<Collection>();
    if (localServers_ && !bDontUseCache) {
      for (int32_t i = 1; i <= localServers_->Count(); ++i) {
        const std::string name = CStr(localServers_->Item(Variant(i)));
        names->Add(Variant(name), name);
      }
    } else {
      const auto found = askServerList(true);
      if (!localServers_) localServers_ = std::make_shared<Collection>();
      for (int32_t i = 1; i <= found->Count(); ++i) {
        const std::string name = CStr(found->Item(Variant(i)));
        names->Add(Variant(name));
        if (!localServers_->hasKey(name)) localServers_->Add(Variant(name), name);
      }
    }
    colServerNames = names;
    return names->Count();
  } catch (const std::exception&) {
    return 0;
  }
}

int32_t QX_ADO_Utilities::QX_ADO_GetLocalServerList(Object& colServerNames) {
  return QX_ADO_GetLocalServerList2(colServerNames, false);
}

int32_t QX_ADO_Utilities::QX_ADO_GetADODBDatabaseList(int32_t lDBType, const std::string& strServer,
                                                      bool blnWinSecurity,
                                                      const std::string& strUser,
                                                      const std::string& strPassword,
                                                      Object& colEncys) {
  if (!colEncys) colEncys = std::make_shared<Collection>();
  std::shared_ptr<ado::Connection> connection;
  const ScopeExit closeAtEnd([&] { closeQuietly(connection); });
  try {
    auto* encys = dynamic_cast<Collection*>(colEncys.get());
    auto add = [&](const Variant& value) {
      if (encys != nullptr) {
        encys->Add(Variant(CStr(value)));
      } else {
        std::vector<Variant> args{Variant(CStr(value))};
        invokeOn(colEncys, "Add", kMethod, args);
      }
    };
    if ((lDBType & 0x100) == 0) {
      const std::string cs = QX_ADO_ConstructConnectionString(
          QX_ADO_GetConnectionStringProviderTagValueForSQL(), strServer, "master", blnWinSecurity,
          strUser, strPassword);
      if (!cs.empty()) {
        connection = openAdo(cs, true);
        forEachValue(connection, kDatabaseNames, 1, "Name", add);
      }
    } else {
      std::string cs =
          QX_ADO_ConstructConnectionString(localString(keyword::kOracleProvider), strServer,
                                           "master", blnWinSecurity, strUser, strPassword);
      cutCatalogItem(cs);
      if (!cs.empty()) {
        connection = openAdo(cs);
        forEachValue(connection, kOracleOwners, 1, "Owner", add);
      }
    }
  } catch (const std::exception&) {
    return 0;
  }
  std::vector<Variant> none;
  try {
    return CLng(invokeOn(colEncys, "Count", kMethod | kPropertyGet, none));
  } catch (const std::exception&) {
    return 0;
  }
}

std::shared_ptr<ado::Connection> QX_ADO_Utilities::QX_ADO_OpenConnection(
    const std::string& v_strConnect) {
  std::string cs = v_strConnect;
  const bool oracle = isOracleProvider(providerItem(*this, cs));
  const std::string schema = oracle ? takeCatalogItem(*this, cs) : std::string();
  auto connection = openAdo(cs);
  if (oracle && !schema.empty()) {
    connection->Execute(schemaSwitch(unicode::toUpper(schema)));
  }
  return connection;
}

bool QX_ADO_Utilities::QX_ADO_IsConnectionToServerValid(const std::string& v_strConnect) {
  std::string cs = v_strConnect;
  const ServerKind kind = serverKind(*this, cs);
  const std::string key = localString(keyword::kInitialCatalog);
  if (kind == ServerKind::SqlServer) {
    QX_ADO_WriteItemInConnectionString(key, "master", cs);
  } else if (kind == ServerKind::Oracle) {
    QX_ADO_RemoveItemFromConnectionString(key, cs);
  }
  auto connection = openAdo(cs);
  const bool open = connection->State() == 1;
  if (open) connection->Close();
  return open;
}

std::shared_ptr<Collection> QX_ADO_Utilities::QX_ADO_ListUsersOnServer(
    const std::string& v_strConnectionString) {
  auto users = std::make_shared<Collection>();
  const std::string provider = providerItem(*this, v_strConnectionString);
  auto connection = QX_ADO_OpenConnection(v_strConnectionString);
  const ScopeExit closeAtEnd([&] { closeQuietly(connection); });
  // Failures while the rows are read are passed over: a repeated name, or
  // one that cannot be read, is skipped.
  constexpr bool kTolerant = true;
  if (!isOracleProvider(provider) &&
      provider == QX_ADO_GetConnectionStringProviderTagValueForSQL()) {
    forEachValue(
        connection, kLogins, -1, "LoginName",
        [&](const Variant& value) { addKeyed(*users, CStr(value)); }, kTolerant);
  } else if (isOracleProvider(provider)) {
    std::string prefix = kDefaultAuthenticationPrefix;
    if (auto value = firstRowField(connection, kAuthenticationPrefix, "Value")) {
      prefix = CStr(*value);
    }
    forEachValue(
        connection, kOracleUsers, -1, "UserName",
        [&](const Variant& value) {
          std::string name = CStr(value);
          if (!prefix.empty() && name.rfind(prefix, 0) == 0) name.erase(0, prefix.size());
          addKeyed(*users, name);
        },
        kTolerant);
  }
  return users;
}

std::string QX_ADO_Utilities::QX_ADO_GetWSPathAsString(int32_t v_WID,
                                                       const std::string& v_connstr) {
  std::string path;
  std::shared_ptr<ado::Connection> connection;
  const ScopeExit closeAtEnd([&] { closeQuietly(connection); });
  try {
    std::string cs = v_connstr;
    if (const size_t bar = cs.find('|'); bar != std::string::npos) cs.erase(0, bar + 1);
    const bool oracle = isOracleProvider(providerItem(*this, cs));
    const std::string schema = oracle ? takeCatalogItem(*this, cs) : std::string();
    connection = QX_ADO_OpenConnection(cs);
    if (oracle) {
      connection->Execute(upperSchemaSwitch(schema));
    } else {
      const std::string sql = "SELECT * FROM dbo.qxsf_wspathastable(" + std::to_string(v_WID) + ")";
      ado::Recordset rows;
      rows.Open(Variant(sql), Variant(std::static_pointer_cast<Dispatch>(connection)), 0, 1, -1);
      try {
        for (bool first = true; !rows.Eof(); first = false) {
          appendPathPart(path, first, rows.Collect(Variant("Name")));
          rows.MoveNext();
        }
      } catch (const std::exception&) {
        // A row that cannot be reached ends the path where it stands.
      }
      rows.Close();
    }
  } catch (const std::exception&) {
    // The path joined so far is the answer.
  }
  return path;
}

namespace {

// A by-reference collection argument: Nothing, or an object.
Object collectionArgument(CallArgs& a, size_t i) {
  const Variant& v = a[i];
  if (v.isEmpty() || v.isMissing()) return nullptr;
  return CObj(v);
}

}  // namespace

void addDiscoveryMembers(Members<QX_ADO_Utilities>& members) {
  using Self = QX_ADO_Utilities;
  members
      .method("QX_ADO_GetSQLServerList", {ref("colServerNames")},
              [](Self& u, CallArgs& a) {
                Object names = collectionArgument(a, 0);
                const int32_t count = u.QX_ADO_GetSQLServerList(names);
                a.set(0, Variant(names));
                return Variant(count);
              })
      .method("QX_ADO_GetLocalServerList2", {ref("colServerNames"), in("bDontUseCache")},
              [](Self& u, CallArgs& a) {
                Object names = collectionArgument(a, 0);
                const int32_t count = u.QX_ADO_GetLocalServerList2(names, a.boolean(1));
                a.set(0, Variant(names));
                return Variant(count);
              })
      .method("QX_ADO_GetLocalServerList", {ref("colServerNames")},
              [](Self& u, CallArgs& a) {
                Object names = collectionArgument(a, 0);
                const int32_t count = u.QX_ADO_GetLocalServerList(names);
                a.set(0, Variant(names));
                return Variant(count);
              })
      .method("QX_ADO_GetADODBDatabaseList",
              {in("lDBType"), in("strServer"), in("blnWinSecurity"), in("strUser"),
               in("strPassword"), ref("colEncys")},
              [](Self& u, CallArgs& a) {
                Object encys = collectionArgument(a, 5);
                const int32_t count = u.QX_ADO_GetADODBDatabaseList(
                    a.lng(0), a.str(1), a.boolean(2), a.str(3), a.str(4), encys);
                a.set(5, Variant(encys));
                return Variant(count);
              })
      .method<&Self::QX_ADO_OpenConnection>("QX_ADO_OpenConnection", {in("v_strConnect")})
      .method<&Self::QX_ADO_IsConnectionToServerValid>("QX_ADO_IsConnectionToServerValid",
                                                       {in("v_strConnect")})
      .method<&Self::QX_ADO_ListUsersOnServer>("QX_ADO_ListUsersOnServer",
                                               {in("v_strConnectionString")})
      .method<&Self::QX_ADO_GetWSPathAsString>("QX_ADO_GetWSPathAsString",
                                               {in("v_WID"), in("v_connstr")});
}

}  // namespace qxvb
