// Compares fuzzed versions with a fuzzed separator; the answer must be one
// of the three values and must mirror when the versions are swapped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "frame/automation_error.h"
#include "text/qxutilities.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t first = input.find('\x01');
  const size_t second = input.find('\x01', first == std::string::npos ? first : first + 1);
  if (second == std::string::npos) return 0;
  const std::string a = input.substr(0, first);
  const std::string b = input.substr(first + 1, second - first - 1);
  const std::string separator = input.substr(second + 1);
  qxvb::QXUtilities utilities;
  try {
    const int32_t ab = utilities.QXCompareVersionStrings(a, b, separator);
    const int32_t ba = utilities.QXCompareVersionStrings(b, a, separator);
    if (ab < 0 || ab > 2) std::abort();
    if ((ab == 0) != (ba == 0) || (ab != 0 && ab == ba)) std::abort();
  } catch (const qxvb::AutomationError&) {
    std::abort();  // comparing text never fails
  }
  return 0;
}
