// Decodes fuzzed text; whatever decodes must encode back to the same
// bytes, and the library's own encoding of the input must decode to it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "frame/automation_error.h"
#include "text/qxutilities.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qxvb::QXUtilities utilities;
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const qxvb::ByteArray decoded = utilities.QX_Util_DecodeBase64(text);
    const std::string again = utilities.QX_Util_EncodeBase64(decoded);
    if (utilities.QX_Util_DecodeBase64(again) != decoded) std::abort();
  } catch (const qxvb::AutomationError&) {
  }
  const qxvb::ByteArray bytes{0, std::vector<uint8_t>(data, data + size)};
  try {
    if (utilities.QX_Util_DecodeBase64(utilities.QX_Util_EncodeBase64(bytes)) != bytes) {
      std::abort();
    }
  } catch (const qxvb::AutomationError&) {
    std::abort();
  }
  return 0;
}
