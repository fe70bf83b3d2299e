// Ids of the connection-string keywords and provider names in the product
// string table. Keys include their trailing "="; the texts are fetched each
// time they are needed, so a replaced string table takes effect at once.
#pragma once

#include <cstdint>

namespace qxvb::keyword {

inline constexpr int32_t kDataSource = 55046;
inline constexpr int32_t kInitialCatalog = 55047;
inline constexpr int32_t kUserId = 55048;
inline constexpr int32_t kExtendedProperties = 55053;
inline constexpr int32_t kProvider = 55054;
inline constexpr int32_t kPassword = 55055;
inline constexpr int32_t kSqlServerProvider = 55056;
inline constexpr int32_t kOracleProvider = 55057;
// The integrated-security item of the Oracle provider: key, then value.
inline constexpr int32_t kOracleIntegratedKey = 55058;
inline constexpr int32_t kOracleIntegratedValue = 55059;
// The integrated-security item of every other provider: key, then value.
inline constexpr int32_t kIntegratedKey = 55060;
inline constexpr int32_t kIntegratedValue = 55061;
// The first two lines of a data-link file.
inline constexpr int32_t kUdlHeader = 55067;
inline constexpr int32_t kUdlComment = 55068;

}  // namespace qxvb::keyword
