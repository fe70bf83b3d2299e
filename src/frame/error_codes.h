// The library's own error numbers and the public numeric constants.
#pragma once

#include <cstdint>

namespace qxvb {

// Automation error numbers of the library: the component error base
// 0x80040000 plus 1 to 11. enuUnableToOpenConnection shares its value with
// enuUnableToOpenFile; 0x80040006 is not used.
enum enuErrorCodes : int32_t {
  enuErrorUnknownLogFile = -2147221503,
  enuErrorUnableToExportFile = -2147221502,
  enuUnableToCreateFile = -2147221501,
  enuUnableToFindRecord = -2147221500,
  enuUnableToOpenFile = -2147221499,
  enuUnableToOpenConnection = -2147221499,
  enuErrorWindowsSocket = -2147221497,
  enuErrorInvalidIPAddress = -2147221496,
  enuErrorCallingGetHostByAddr = -2147221495,
  enuErrorAuditIDNotAllowed = -2147221494,
  enuErrorBlankAuditIDNotAllowed = -2147221493,
};

// Limits several classes share.
enum enuQX_NumericConstants : int32_t {
  QX_MAX_USERNAME = 32,
  QX_MAX_SERVERNANE = 32,
  QX_MAX_SERVERNAME = 512,
  QX_MAX_ENCYNAME = 32,
  QX_MAX_MACHINENAME = 32,
  QX_MAXPATH = 500,
  QX_MAX_USERNAME_EXTENDED = 512,
  QX_MAX_DOMAINNAME = 128,
  QX_MAX_MACHINENAME128 = 128,
  QX_OK = 0,
  QX_MAX_AUDITID = 7,
};

// The standard command-button size, in twips.
enum QXConstant : int32_t {
  QX_CMD_BUTTON_WIDTH = 1095,
  QX_CMD_BUTTON_HEIGHT = 350,
};

}  // namespace qxvb
