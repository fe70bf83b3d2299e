#include "platform/directory/ldap_connection.h"

#include <ldap.h>
#include <strings.h>
#include <sys/time.h>

#include <memory>
#include <utility>

namespace qxvb::platform::directory {

namespace {

const std::vector<std::string> kNoValues;

timeval secondsToTimeval(int seconds) {
  timeval tv{};
  tv.tv_sec = seconds > 0 ? seconds : 1;
  return tv;
}

int scopeCode(SearchScope scope) {
  switch (scope) {
    case SearchScope::Base:
      return LDAP_SCOPE_BASE;
    case SearchScope::OneLevel:
      return LDAP_SCOPE_ONELEVEL;
    case SearchScope::Subtree:
      break;
  }
  return LDAP_SCOPE_SUBTREE;
}

std::string takeLdapString(char* text) {
  std::string result = text != nullptr ? text : "";
  if (text != nullptr) ldap_memfree(text);
  return result;
}

struct MessageFree {
  void operator()(LDAPMessage* message) const { ldap_msgfree(message); }
};
using MessagePtr = std::unique_ptr<LDAPMessage, MessageFree>;

struct ControlFree {
  void operator()(LDAPControl* control) const { ldap_control_free(control); }
};
using ControlPtr = std::unique_ptr<LDAPControl, ControlFree>;

struct ControlsFree {
  void operator()(LDAPControl** controls) const { ldap_controls_free(controls); }
};
using ControlsPtr = std::unique_ptr<LDAPControl*, ControlsFree>;

DirectoryEntry readEntry(LDAP* ld, LDAPMessage* message) {
  DirectoryEntry entry;
  entry.dn = takeLdapString(ldap_get_dn(ld, message));
  BerElement* ber = nullptr;
  for (char* name = ldap_first_attribute(ld, message, &ber); name != nullptr;
       name = ldap_next_attribute(ld, message, ber)) {
    DirectoryAttribute attribute;
    attribute.name = name;
    if (berval** values = ldap_get_values_len(ld, message, name)) {
      for (berval** value = values; *value != nullptr; ++value) {
        attribute.values.emplace_back((*value)->bv_val, (*value)->bv_len);
      }
      ldap_value_free_len(values);
    }
    ldap_memfree(name);
    entry.attributes.push_back(std::move(attribute));
  }
  if (ber != nullptr) ber_free(ber, 0);
  return entry;
}

// Attribute names as the NULL-terminated array libldap expects; the
// pointers stay valid while `names` lives.
std::vector<char*> attributeArray(const std::vector<std::string>& names) {
  std::vector<char*> result;
  result.reserve(names.size() + 1);
  for (const std::string& name : names) result.push_back(const_cast<char*>(name.c_str()));
  result.push_back(nullptr);
  return result;
}

}  // namespace

const std::vector<std::string>& DirectoryEntry::values(std::string_view name) const {
  for (const DirectoryAttribute& attribute : attributes) {
    if (attribute.name.size() == name.size() &&
        strncasecmp(attribute.name.data(), name.data(), name.size()) == 0) {
      return attribute.values;
    }
  }
  return kNoValues;
}

std::string DirectoryEntry::first(std::string_view name) const {
  const auto& found = values(name);
  return found.empty() ? std::string() : found.front();
}

DirectoryOptions directoryDefaults() {
  DirectoryOptions options;
  char* text = nullptr;
  if (ldap_get_option(nullptr, LDAP_OPT_URI, &text) == LDAP_OPT_SUCCESS) {
    options.uri = takeLdapString(text);
  }
  text = nullptr;
  if (ldap_get_option(nullptr, LDAP_OPT_DEFBASE, &text) == LDAP_OPT_SUCCESS) {
    options.base = takeLdapString(text);
  }
  return options;
}

LdapConnection::~LdapConnection() {
  close();
}

LdapConnection::LdapConnection(LdapConnection&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), options_(std::move(other.options_)) {}

LdapConnection& LdapConnection::operator=(LdapConnection&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, nullptr);
    options_ = std::move(other.options_);
  }
  return *this;
}

void LdapConnection::close() {
  if (handle_ != nullptr) ldap_unbind_ext_s(handle_, nullptr, nullptr);
  handle_ = nullptr;
}

DirectoryStatus LdapConnection::statusOf(int code) const {
  DirectoryStatus status;
  status.code = code;
  if (code == LDAP_SUCCESS) return status;
  status.message = ldap_err2string(code);
  char* diagnostic = nullptr;
  if (handle_ != nullptr &&
      ldap_get_option(handle_, LDAP_OPT_DIAGNOSTIC_MESSAGE, &diagnostic) == LDAP_OPT_SUCCESS) {
    const std::string detail = takeLdapString(diagnostic);
    if (!detail.empty()) status.message += ": " + detail;
  }
  return status;
}

DirectoryStatus LdapConnection::open(const DirectoryOptions& options) {
  close();
  options_ = options;
  if (options.uri.empty()) return {LDAP_PARAM_ERROR, "No directory server is configured"};
  LDAP* ld = nullptr;
  const int rc = ldap_initialize(&ld, options.uri.c_str());
  if (rc != LDAP_SUCCESS || ld == nullptr) {
    DirectoryStatus status = statusOf(rc != LDAP_SUCCESS ? rc : LDAP_PARAM_ERROR);
    status.message += " (" + options.uri + ")";
    return status;
  }
  handle_ = ld;

  const int version = LDAP_VERSION3;
  const timeval network = secondsToTimeval(options.networkTimeoutSeconds);
  const timeval operation = secondsToTimeval(options.operationTimeoutSeconds);
  ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
  ldap_set_option(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  ldap_set_option(ld, LDAP_OPT_NETWORK_TIMEOUT, &network);
  ldap_set_option(ld, LDAP_OPT_TIMEOUT, &operation);

  berval credentials{};
  if (!options.bindDn.empty()) {
    credentials.bv_val = const_cast<char*>(options.password.data());
    credentials.bv_len = options.password.size();
  }
  const char* dn = options.bindDn.empty() ? nullptr : options.bindDn.c_str();
  const int bound =
      ldap_sasl_bind_s(ld, dn, LDAP_SASL_SIMPLE, &credentials, nullptr, nullptr, nullptr);
  if (bound != LDAP_SUCCESS) {
    DirectoryStatus status = statusOf(bound);
    close();
    return status;
  }
  return {};
}

DirectoryStatus LdapConnection::readRootDse(RootDse& rootDse) {
  SearchRequest request;
  request.scope = SearchScope::Base;
  request.attributes = {"defaultNamingContext", "namingContexts", "schemaNamingContext"};
  request.paged = false;
  std::vector<DirectoryEntry> entries;
  DirectoryStatus status = search(request, entries);
  if (!status.ok()) return status;
  if (entries.empty()) return {LDAP_NO_SUCH_OBJECT, "The directory has no root DSE"};
  rootDse.defaultNamingContext = entries.front().first("defaultNamingContext");
  rootDse.namingContexts = entries.front().values("namingContexts");
  rootDse.schemaNamingContext = entries.front().first("schemaNamingContext");
  return {};
}

DirectoryStatus LdapConnection::search(const SearchRequest& request,
                                       std::vector<DirectoryEntry>& entries) {
  if (handle_ == nullptr) return {LDAP_SERVER_DOWN, "The directory connection is not open"};
  std::string cookie;
  do {
    DirectoryStatus status = searchOnePage(request, cookie, entries);
    if (!status.ok()) return status;
  } while (request.paged && !cookie.empty());
  return {};
}

DirectoryStatus LdapConnection::searchOnePage(const SearchRequest& request, std::string& cookie,
                                              std::vector<DirectoryEntry>& entries) {
  LDAPControl* pageControl = nullptr;
  if (request.paged) {
    berval cookieValue{cookie.size(), cookie.data()};
    const int pageSize = options_.pageSize > 0 ? options_.pageSize : 500;
    const int rc = ldap_create_page_control(
        handle_, pageSize, cookie.empty() ? nullptr : &cookieValue, 0, &pageControl);
    if (rc != LDAP_SUCCESS) return statusOf(rc);
  }
  ControlPtr pageOwner(pageControl);
  LDAPControl* serverControls[] = {pageControl, nullptr};

  std::vector<char*> attributes = attributeArray(request.attributes);
  timeval timeout = secondsToTimeval(options_.operationTimeoutSeconds);
  LDAPMessage* raw = nullptr;
  const int rc = ldap_search_ext_s(
      handle_, request.base.c_str(), scopeCode(request.scope), request.filter.c_str(),
      request.attributes.empty() ? nullptr : attributes.data(), 0,
      request.paged ? serverControls : nullptr, nullptr, &timeout, 0, &raw);
  MessagePtr result(raw);
  if (result == nullptr) return statusOf(rc != LDAP_SUCCESS ? rc : LDAP_OTHER);

  for (LDAPMessage* message = ldap_first_entry(handle_, result.get()); message != nullptr;
       message = ldap_next_entry(handle_, message)) {
    entries.push_back(readEntry(handle_, message));
  }

  int code = LDAP_SUCCESS;
  char* errorText = nullptr;
  LDAPControl** rawControls = nullptr;
  const int parsed = ldap_parse_result(handle_, result.get(), &code, nullptr, &errorText, nullptr,
                                       &rawControls, 0);
  ControlsPtr controls(rawControls);
  const std::string serverText = takeLdapString(errorText);
  if (parsed != LDAP_SUCCESS) return statusOf(parsed);
  if (code != LDAP_SUCCESS) {
    DirectoryStatus status{code, ldap_err2string(code)};
    if (!serverText.empty()) status.message += ": " + serverText;
    return status;
  }

  cookie.clear();
  if (!request.paged) return {};
  LDAPControl* response = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, controls.get(), nullptr);
  if (response == nullptr) return {};
  ber_int_t estimate = 0;
  berval next{};
  const int pageRc = ldap_parse_pageresponse_control(handle_, response, &estimate, &next);
  if (pageRc != LDAP_SUCCESS) return statusOf(pageRc);
  if (next.bv_val != nullptr) {
    cookie.assign(next.bv_val, next.bv_len);
    ber_memfree(next.bv_val);
  }
  return {};
}

}  // namespace qxvb::platform::directory
