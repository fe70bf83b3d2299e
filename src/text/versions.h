// Comparison of dotted version strings such as "10.2.1", part by part by
// the leading number of each part.
#pragma once

#include <cstdint>
#include <string_view>

namespace qxvb {

enum enuQX_VersionCompare : int32_t {
  QX_VC_Equal = 0,
  QX_VC_Version_A_Higher = 1,
  QX_VC_Version_B_Higher = 2,
};

// When all common parts are equal, the version with more parts is higher,
// so "2.0.0" is higher than "2.0". An empty separator splits nothing.
enuQX_VersionCompare compareVersionStrings(std::string_view a, std::string_view b,
                                           std::string_view separator);

}  // namespace qxvb
