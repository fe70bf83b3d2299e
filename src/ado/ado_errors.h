// The failures of the data-access objects: ADO's own error numbers and
// texts, and the failures the engines report, which reach callers as
// automation errors carrying the engine's message.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qxvb::ado {

namespace err {
// Numbers an engine failure is raised with.
inline constexpr int32_t kCommandFailed = -2147217900;  // 0x80040E14
inline constexpr int32_t kUnspecified = -2147467259;    // 0x80004005
inline constexpr int32_t kNoCommandText = -2147217908;  // 0x80040E0C
inline constexpr int32_t kMultipleStep = -2147217887;   // 0x80040E21
inline constexpr int32_t kRowNotLocated = -2147217864;  // 0x80040E38
// ADO's own run-time errors.
inline constexpr int32_t kBadArguments = 3001;
inline constexpr int32_t kFileOpenFailed = 3002;
inline constexpr int32_t kWriteFileFailed = 3004;
inline constexpr int32_t kNoCurrentRecord = 3021;
inline constexpr int32_t kNotInContext = 3219;
inline constexpr int32_t kNotUpdatable = 3251;
inline constexpr int32_t kItemNotFound = 3265;
inline constexpr int32_t kAlreadyInCollection = 3367;
inline constexpr int32_t kObjectClosed = 3704;
inline constexpr int32_t kObjectOpen = 3705;
inline constexpr int32_t kProviderNotFound = 3706;
inline constexpr int32_t kBadParameter = 3708;
inline constexpr int32_t kConnectionUnusable = 3709;
}  // namespace err

// ADO's description of one of its numbers above.
std::string_view errorText(int32_t number);

// Raises an ADO error with its standard description; source is the
// raising class, e.g. "ADODB.Recordset".
[[noreturn]] void raise(int32_t number, std::string_view source);

// A failure reported by a database engine: its message, the SQLSTATE for
// ODBC (empty for SQLite), its native code and the driver or provider name.
class EngineFailure : public std::runtime_error {
 public:
  EngineFailure(std::string message, std::string sqlState, int32_t nativeError, std::string source);

  const std::string& message() const { return message_; }
  const std::string& sqlState() const { return sqlState_; }
  int32_t nativeError() const { return nativeError_; }
  const std::string& source() const { return source_; }
  // "[SQLSTATE xxxxx] message" when there is a state, else the message.
  std::string description() const;

 private:
  std::string message_;
  std::string sqlState_;
  int32_t nativeError_;
  std::string source_;
};

// Raises an engine failure as an automation error with the given number.
[[noreturn]] void raiseEngineFailure(const EngineFailure& failure, int32_t number);

}  // namespace qxvb::ado
