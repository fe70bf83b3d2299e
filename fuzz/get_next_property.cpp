// Reads a whole memo property by property from fuzzed text and start
// position; every call must end, and positions must move forward.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "frame/automation_error.h"
#include "text/qxutilities.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  int32_t pos = static_cast<int8_t>(data[0]);
  const std::string memo(reinterpret_cast<const char*>(data + 1), size - 1);
  qxvb::QXUtilities utilities;
  std::string name;
  std::string value;
  try {
    for (int calls = 0; utilities.QXUtil_GetNextProperty(memo, pos, name, value); ++calls) {
      if (calls > static_cast<int>(memo.size())) std::abort();
    }
  } catch (const qxvb::AutomationError&) {
  }
  return 0;
}
