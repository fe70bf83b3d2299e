// The repository version check as the repository tests call it.
#pragma once

#include <cstdint>
#include <string>

#include "database/qx_ado_utilities.h"
#include "frame/vb_conversions.h"

namespace qxvb::test {

// The version the check reports for the repository at cs; same, when
// given, receives whether it equals `expected`.
inline int32_t repositoryVersion(QX_ADO_Utilities& ado, const std::string& cs, int32_t expected,
                                 bool* same = nullptr) {
  Variant actual(int32_t{0});
  const bool result = ado.QX_ADO_IsDatabaseQXVersion(cs, expected, actual);
  if (same != nullptr) *same = result;
  return CLng(actual);
}

}  // namespace qxvb::test
