#include "text/versions.h"

#include <cmath>
#include <vector>

#include "frame/automation_error.h"
#include "frame/vb_conversions.h"

namespace qxvb {

namespace {

std::vector<std::string_view> splitParts(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> parts;
  if (text.empty()) return parts;
  if (separator.empty()) {
    parts.push_back(text);
    return parts;
  }
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::string_view::npos;
       at = text.find(separator, start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  parts.push_back(text.substr(start));
  return parts;
}

// The leading number of a part as Val reads it. Val only fails for a
// number beyond the range of a double, which compares as an infinity here
// so that any text can be compared.
double partValue(std::string_view part) {
  try {
    return Val(part);
  } catch (const AutomationError&) {
    const size_t first = part.find_first_not_of(" \t\n");
    return first != std::string_view::npos && part[first] == '-' ? -HUGE_VAL : HUGE_VAL;
  }
}

enuQX_VersionCompare byPartCount(size_t a, size_t b) {
  if (a == b) return QX_VC_Equal;
  return a > b ? QX_VC_Version_A_Higher : QX_VC_Version_B_Higher;
}

}  // namespace

enuQX_VersionCompare compareVersionStrings(std::string_view a, std::string_view b,
                                           std::string_view separator) {
  const std::vector<std::string_view> partsA = splitParts(a, separator);
  const std::vector<std::string_view> partsB = splitParts(b, separator);
  if (partsA.empty() || partsB.empty()) return byPartCount(partsA.size(), partsB.size());
  for (size_t i = 0;; ++i) {
    const double valueA = partValue(partsA[i]);
    const double valueB = partValue(partsB[i]);
    if (valueA > valueB) return QX_VC_Version_A_Higher;
    if (valueA < valueB) return QX_VC_Version_B_Higher;
    if (i + 1 == partsA.size() || i + 1 == partsB.size()) {
      return byPartCount(partsA.size(), partsB.size());
    }
  }
}

}  // namespace qxvb
