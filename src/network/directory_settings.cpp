#include "network/directory_settings.h"

#include <algorithm>
#include <optional>

#include "network/product_settings.h"

namespace qxvb {

namespace {

using platform::directory::DirectoryOptions;

constexpr int32_t kSectionText = 56271;
constexpr int32_t kValueLength = 1024;

std::string setting(const char* item) {
  return productSetting(item, componentText(kSectionText), kValueLength).value_or("");
}

std::string withPort(std::string_view uri, std::string_view port) {
  const size_t schemeEnd = uri.find("://");
  if (schemeEnd == std::string_view::npos) return std::string(uri);
  const std::string_view scheme = uri.substr(0, schemeEnd);
  const size_t hostStart = schemeEnd + 3;
  const size_t pathStart = std::min(uri.find('/', hostStart), uri.size());
  std::string_view host = uri.substr(hostStart, pathStart - hostStart);
  // The port follows the last colon, unless that colon is inside an IPv6
  // address in brackets.
  const size_t colon = host.rfind(':');
  const size_t bracket = host.rfind(']');
  if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
    host = host.substr(0, colon);
  }
  return std::string(scheme) + "://" + std::string(host) + ":" + std::string(port) +
         std::string(uri.substr(pathStart));
}

}  // namespace

std::string globalCatalogueUri(std::string_view serverUri) {
  std::string result;
  size_t pos = 0;
  while (pos < serverUri.size()) {
    const size_t start = serverUri.find_first_not_of(' ', pos);
    if (start == std::string_view::npos) break;
    const size_t end = std::min(serverUri.find(' ', start), serverUri.size());
    const std::string_view uri = serverUri.substr(start, end - start);
    std::string converted(uri);
    if (uri.substr(0, 7) == "ldap://") converted = withPort(uri, "3268");
    if (uri.substr(0, 8) == "ldaps://") converted = withPort(uri, "3269");
    if (!result.empty()) result += ' ';
    result += converted;
    pos = end;
  }
  return result;
}

DirectoryOptions directoryServerOptions() {
  DirectoryOptions options;
  options.uri = setting("ADImportServer");
  options.base = setting("ADImportSearchBase");
  if (options.uri.empty() || options.base.empty()) {
    const DirectoryOptions configured = platform::directory::directoryDefaults();
    if (options.uri.empty()) options.uri = configured.uri;
    if (options.base.empty()) options.base = configured.base;
  }
  options.bindDn = setting("ADImportBindDN");
  options.password = setting("ADImportBindPassword");
  // The directory provider asks for pages of 1,000 entries.
  options.pageSize = 1000;
  return options;
}

DirectoryOptions globalCatalogueOptions(const DirectoryOptions& server) {
  DirectoryOptions options = server;
  options.uri = setting("ADImportGlobalCatalogServer");
  if (options.uri.empty()) options.uri = globalCatalogueUri(server.uri);
  return options;
}

bool queryGlobalCatalogue() {
  return switchSettingOn("ADImportQueryUseGCAsRoot", componentText(kSectionText));
}

bool usePrincipalNames() {
  return switchSettingOn("ADImportUsePrincipalName", componentText(kSectionText));
}

}  // namespace qxvb
