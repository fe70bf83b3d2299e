// Where the directory queries connect, and their switches. All are
// settings of the default profile in the section named by string-table
// text 56271 ("ADImport"):
//
//   ADImportServer              LDAP URI(s) of the directory server,
//                               e.g. "ldap://dc1.corp.example.com"; several
//                               may be given, separated by blanks
//   ADImportGlobalCatalogServer URI(s) of the global catalogue; when not set,
//                               the server's hosts on port 3268 (3269 for
//                               ldaps)
//   ADImportBindDN              DN (or user principal name) to bind as;
//                               anonymous when not set
//   ADImportBindPassword        password for ADImportBindDN
//   ADImportSearchBase          naming context used when the server's root
//                               DSE names no default naming context
//   ADImportQueryUseGCAsRoot    "y": group members are queried in the
//                               global catalogue
//   ADImportUsePrincipalName    "y": member users are listed by their
//                               msDS-PrincipalName (DOMAIN\name)
//
// When ADImportServer (or ADImportSearchBase) is not set, the URI (or the
// base) that libldap reads from ldap.conf is used (directoryDefaults()).
#pragma once

#include <string>
#include <string_view>

#include "platform/directory/ldap_connection.h"

namespace qxvb {

// The connection settings of the directory server.
platform::directory::DirectoryOptions directoryServerOptions();

// The same, pointed at the global catalogue.
platform::directory::DirectoryOptions globalCatalogueOptions(
    const platform::directory::DirectoryOptions& server);

// Each blank-separated URI with its port replaced by the global
// catalogue's: 3268 for ldap://, 3269 for ldaps://; other schemes are kept.
std::string globalCatalogueUri(std::string_view serverUri);

bool queryGlobalCatalogue();
bool usePrincipalNames();

}  // namespace qxvb
