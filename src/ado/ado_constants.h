// The ADO enumeration values callers pass and read, under their ADO names,
// so code written against ADO keeps its literal numbers.
#pragma once

#include <cstdint>

namespace qxvb::ado {

// ObjectStateEnum
inline constexpr int32_t adStateClosed = 0;
inline constexpr int32_t adStateOpen = 1;

// CursorTypeEnum
inline constexpr int32_t adOpenUnspecified = -1;
inline constexpr int32_t adOpenForwardOnly = 0;
inline constexpr int32_t adOpenKeyset = 1;
inline constexpr int32_t adOpenDynamic = 2;
inline constexpr int32_t adOpenStatic = 3;

// LockTypeEnum
inline constexpr int32_t adLockUnspecified = -1;
inline constexpr int32_t adLockReadOnly = 1;
inline constexpr int32_t adLockPessimistic = 2;
inline constexpr int32_t adLockOptimistic = 3;
inline constexpr int32_t adLockBatchOptimistic = 4;

// CursorLocationEnum
inline constexpr int32_t adUseServer = 2;
inline constexpr int32_t adUseClient = 3;

// CommandTypeEnum and ExecuteOptionEnum
inline constexpr int32_t adCmdUnspecified = -1;
inline constexpr int32_t adCmdText = 1;
inline constexpr int32_t adCmdTable = 2;
inline constexpr int32_t adCmdStoredProc = 4;
inline constexpr int32_t adCmdUnknown = 8;
inline constexpr int32_t adCmdFile = 256;
inline constexpr int32_t adCmdTableDirect = 512;
inline constexpr int32_t adAsyncExecute = 0x10;
inline constexpr int32_t adAsyncFetch = 0x20;
inline constexpr int32_t adExecuteNoRecords = 0x80;
inline constexpr int32_t adOptionUnspecified = -1;

// ConnectOptionEnum
inline constexpr int32_t adConnectUnspecified = -1;
inline constexpr int32_t adAsyncConnect = 0x10;

// EditModeEnum
inline constexpr int32_t adEditNone = 0;
inline constexpr int32_t adEditInProgress = 1;
inline constexpr int32_t adEditAdd = 2;
inline constexpr int32_t adEditDelete = 4;

// SearchDirectionEnum
inline constexpr int32_t adSearchForward = 1;
inline constexpr int32_t adSearchBackward = -1;

// ParameterDirectionEnum
inline constexpr int32_t adParamUnknown = 0;
inline constexpr int32_t adParamInput = 1;
inline constexpr int32_t adParamOutput = 2;
inline constexpr int32_t adParamInputOutput = 3;
inline constexpr int32_t adParamReturnValue = 4;

// DataTypeEnum
inline constexpr int32_t adEmpty = 0;
inline constexpr int32_t adSmallInt = 2;
inline constexpr int32_t adInteger = 3;
inline constexpr int32_t adSingle = 4;
inline constexpr int32_t adDouble = 5;
inline constexpr int32_t adCurrency = 6;
inline constexpr int32_t adDate = 7;
inline constexpr int32_t adBSTR = 8;
inline constexpr int32_t adError = 10;
inline constexpr int32_t adBoolean = 11;
inline constexpr int32_t adVariant = 12;
inline constexpr int32_t adDecimal = 14;
inline constexpr int32_t adTinyInt = 16;
inline constexpr int32_t adUnsignedTinyInt = 17;
inline constexpr int32_t adUnsignedSmallInt = 18;
inline constexpr int32_t adUnsignedInt = 19;
inline constexpr int32_t adBigInt = 20;
inline constexpr int32_t adUnsignedBigInt = 21;
inline constexpr int32_t adGUID = 72;
inline constexpr int32_t adBinary = 128;
inline constexpr int32_t adChar = 129;
inline constexpr int32_t adWChar = 130;
inline constexpr int32_t adNumeric = 131;
inline constexpr int32_t adDBDate = 133;
inline constexpr int32_t adDBTime = 134;
inline constexpr int32_t adDBTimeStamp = 135;
inline constexpr int32_t adVarNumeric = 139;
inline constexpr int32_t adVarChar = 200;
inline constexpr int32_t adLongVarChar = 201;
inline constexpr int32_t adVarWChar = 202;
inline constexpr int32_t adLongVarWChar = 203;
inline constexpr int32_t adVarBinary = 204;
inline constexpr int32_t adLongVarBinary = 205;

// FieldAttributeEnum (the flags a Field reports)
inline constexpr int32_t adFldUpdatable = 0x4;
inline constexpr int32_t adFldIsNullable = 0x20;
inline constexpr int32_t adFldMayBeNull = 0x40;
inline constexpr int32_t adFldLong = 0x80;
inline constexpr int32_t adFldKeyColumn = 0x8000;

// StreamTypeEnum, StreamOpenOptionsEnum, SaveOptionsEnum, StreamReadEnum,
// StreamWriteEnum, LineSeparatorEnum
inline constexpr int32_t adTypeBinary = 1;
inline constexpr int32_t adTypeText = 2;
inline constexpr int32_t adOpenStreamUnspecified = -1;
inline constexpr int32_t adSaveCreateNotExist = 1;
inline constexpr int32_t adSaveCreateOverWrite = 2;
inline constexpr int32_t adReadAll = -1;
inline constexpr int32_t adReadLine = -2;
inline constexpr int32_t adWriteChar = 0;
inline constexpr int32_t adWriteLine = 1;
inline constexpr int32_t adCR = 13;
inline constexpr int32_t adLF = 10;
inline constexpr int32_t adCRLF = -1;

// PropertyAttributesEnum
inline constexpr int32_t adPropRequired = 1;
inline constexpr int32_t adPropOptional = 2;
inline constexpr int32_t adPropRead = 512;
inline constexpr int32_t adPropWrite = 1024;

inline constexpr bool isBinaryType(int32_t type) {
  return type == adBinary || type == adVarBinary || type == adLongVarBinary;
}

inline constexpr bool isTextType(int32_t type) {
  return type == adChar || type == adVarChar || type == adLongVarChar || type == adWChar ||
         type == adVarWChar || type == adLongVarWChar || type == adBSTR;
}

// The DefinedSize ADO reports for long (unbounded) columns.
inline constexpr int32_t kLongDefinedSize = 2147483647;

}  // namespace qxvb::ado
