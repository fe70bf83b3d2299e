// QXErrInfo: one captured error, as the public record carries it.
#pragma once

#include <cstdint>
#include <string>

#include "frame/variant.h"

namespace qxvb {

class AutomationError;

struct QXErrInfo {
  int32_t Number = 0;
  std::string Source;
  std::string Description;
  std::string HelpFile;
  Variant HelpContextID = Variant("");

  Record toRecord() const;
  static QXErrInfo fromRecord(const Record& record);  // raises 13 for another record type
  static QXErrInfo fromError(const AutomationError& error);
};

inline constexpr const char* kQXErrInfoTypeName = "QXErrInfo";

}  // namespace qxvb
