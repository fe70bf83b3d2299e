// Reads, writes and removes items, extended items included, on fuzzed
// connection strings with fuzzed item names and values. Every call must
// end without a fault, and a plain value written must read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "database/connection_string_items.h"
#include "database/qx_ado_utilities.h"
#include "frame/automation_error.h"

namespace {

constexpr std::string_view kExtendedKey = "Extended Properties=";

// Takes a piece whose length is given by the next input byte.
std::string takePiece(std::string_view& input) {
  if (input.empty()) return {};
  const size_t length = std::min<size_t>(static_cast<uint8_t>(input.front()), input.size() - 1);
  std::string piece(input.substr(1, length));
  input.remove_prefix(1 + length);
  return piece;
}

// Text that holds no separator and no quote.
bool plain(std::string_view text) {
  return text.find_first_of(";\"") == std::string_view::npos;
}

void check(bool condition) {
  if (!condition) std::abort();
}

// The grammar's own promises, checked on the functions behind the members.
void checkItemRules(const std::string& item, const std::string& value, const std::string& text) {
  using namespace qxvb::connstr;
  const ItemLocation location = locateItem(text, item);
  if (location.found) {
    // The value starts right after the "=" that ends the key found.
    const size_t start = location.value.quoted ? location.value.begin - 1 : location.value.begin;
    check(start > 0 && start <= text.size() && text[start - 1] == '=');
  }
  const std::string read = readItem(item, text);
  check(read.empty() || text.find(read) != std::string::npos);

  std::string removed = text;
  check(removeItem(item, removed) == location.found);
  check(removed.size() <= text.size());

  std::string written = text;
  check(writeItem(item, value, written));
  if (plain(item) && plain(value) && !value.empty() && (!location.found || location.value.closed)) {
    check(readItem(item, written) == value);
  }
}

void runMembers(const std::string& item, const std::string& value, const std::string& text) {
  qxvb::QX_ADO_Utilities utilities;
  (void)utilities.QX_ADO_ReadItemFromConnectionString(item, text);
  std::string s = text;
  (void)utilities.QX_ADO_RemoveItemFromConnectionString(item, s);
  s = text;
  (void)utilities.QX_ADO_WriteItemInConnectionString(item, value, s);
  s = text;
  if (utilities.QX_ADO_WriteExtendedItemInConnectionString(item, value, s)) {
    (void)utilities.QX_ADO_ReadExtendedItemInConnectionString(item, qxvb::Variant(s));
  }
  (void)utilities.QX_ADO_ReadExtendedItemInConnectionString(item, qxvb::Variant(text));
  (void)utilities.QX_ADO_IsConnectStringUsingIntegratedSecurity(text);
  (void)utilities.QX_ADO_EncodeSQLValue(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string item = takePiece(input);
  const std::string value = takePiece(input);
  const std::string text(input);
  try {
    checkItemRules(item, value, text);
    std::string extended = text;
    const bool written = qxvb::connstr::writeExtendedItem(item, value, extended, kExtendedKey);
    // Into a string without extended properties the item is written whole.
    if (qxvb::connstr::findIgnoreCase(text, kExtendedKey) == std::string::npos) {
      check(written);
      if (plain(item) && plain(value) && !value.empty()) {
        check(qxvb::connstr::readExtendedItem(item, extended, kExtendedKey) == value);
      }
    }
    runMembers(item, value, text);
  } catch (const qxvb::AutomationError&) {
  }
  return 0;
}
