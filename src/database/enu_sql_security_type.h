// enuSQLSecurityType: how a connection string authenticates.
#pragma once

#include <cstdint>

namespace qxvb {

enum enuSQLSecurityType : int32_t {
  QXST_SEC_WIN = 0,  // Windows, integrated security
  QXST_SEC_USR = 1,  // user name and password
};

}  // namespace qxvb
