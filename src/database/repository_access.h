// Shared steps of the members that open and query a repository: telling
// the kind of server from the provider item, opening connections the way
// the checks do, reading first rows, and the embedded repository's
// stand-in for the server catalogue and sessions.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ado/connection.h"
#include "frame/variant.h"

namespace qxvb {

class QX_ADO_Utilities;

enum class ServerKind { Oracle, SqlServer, Other };

// The provider item of a connection string.
std::string providerItem(QX_ADO_Utilities& ado, const std::string& connectionString);
// Oracle when the provider is string 55057; SQL Server when it is the
// provider tag or string 55056.
ServerKind serverKind(QX_ADO_Utilities& ado, const std::string& connectionString);
bool isOracleProvider(const std::string& provider);

// The embedded (file-based) repository's providers.
bool isEmbeddedProvider(const std::string& provider);

// Cuts the catalog item (key 55047, found case-sensitively) out of the
// string through the next ";" or the end; returns its value.
std::string cutCatalogItem(std::string& connectionString);

// Reads the catalog item (key 55047) as QX_ADO_ReadItemFromConnectionString
// does, removes it from the string and returns its value: on Oracle the
// item names the schema, which is switched to after opening.
std::string takeCatalogItem(QX_ADO_Utilities& ado, std::string& connectionString);

// Opens a new connection with empty user and password and options -1;
// sqlServerProbe sets "OLE DB Services" to -2 first.
std::shared_ptr<ado::Connection> openAdo(const std::string& connectionString,
                                         bool sqlServerProbe = false);
void closeQuietly(const std::shared_ptr<ado::Connection>& connection);

// "alter session set current_schema = " + the schema in double quotes.
std::string schemaSwitch(const std::string& schema);
// The same as the exclusive-access and workspace members write it:
// "ALTER SESSION SET CURRENT_SCHEMA=" + the schema in double quotes.
std::string upperSchemaSwitch(const std::string& schema);

// Runs a statement late-bound (Execute, options -1) on any connection
// object and answers the named field of its first row, nothing when there
// is no row.
std::optional<Variant> firstRowField(const Object& connection, const std::string& sql,
                                     const std::string& field);
// Opens a forward-only, read-only recordset and answers whether it has a row.
bool returnsRow(const std::shared_ptr<ado::Connection>& connection, const std::string& sql);

// On the embedded repository the server's catalogue views do not exist;
// this gives the connection an INFORMATION_SCHEMA.TABLES of its own
// listing the file's tables, so the table probes read as on a server.
void prepareEmbeddedCatalogue(const std::shared_ptr<ado::Connection>& connection);

// The sessions on an embedded repository: its open connections in every
// process of this machine; sameUserOnce counts each user once.
int32_t embeddedSessionCount(const std::string& databaseFile, bool sameUserOnce);

}  // namespace qxvb
