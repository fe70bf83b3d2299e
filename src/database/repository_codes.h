// enuQXEncyclopediaTypes: the kind of server in the high bits, the edition
// in the low bits; and the version codes the repository checks answer.
#pragma once

#include <cstdint>

namespace qxvb {

enum enuQXEncyclopediaTypes : int32_t {
  QXET_DBASE = 0,
  QXET_NINEZERO = 1,
  QXET_PROFESSIONAL = 2,
  QXET_ENTERPRISE = 3,
  QXET_ORACLE = 256,
  QXET_SQLSERVER = 512,
  QXET_INVALID = 16777216,
  QXET_UNABLETOOPEN = -33554432,
};

inline constexpr int32_t kVersionOracleProfessional = QXET_ORACLE | QXET_PROFESSIONAL;
inline constexpr int32_t kVersionOracleEnterprise = QXET_ORACLE | QXET_ENTERPRISE;
inline constexpr int32_t kVersionSqlServerProfessional = QXET_SQLSERVER | QXET_PROFESSIONAL;
inline constexpr int32_t kVersionSqlServerEnterprise = QXET_SQLSERVER | QXET_ENTERPRISE;
// What is left when the check cannot run.
inline constexpr int32_t kVersionNotChecked = 0x2000000;

}  // namespace qxvb
