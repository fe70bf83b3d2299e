// Feeds arbitrary descriptions to QX_ErrorHelper.IsStoredError, which must
// answer for any text without failing, and to Store, which must keep a
// usable chain whatever it was given.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "error_helper/error_helper.h"
#include "frame/err_object.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string description(reinterpret_cast<const char*>(data), size);
  static qxvb::QX_ErrorHelper helper;
  const bool stored = helper.IsStoredError(description);
  auto err = std::make_shared<qxvb::ErrObject>();
  err->Number = 5;
  err->Description = description;
  const bool added = helper.Store(err);
  if (stored && added) __builtin_trap();
  helper.ToString();
  helper.ToXML();
  return 0;
}
