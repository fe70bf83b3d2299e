// Failures of a public call: an automation error with number, source,
// description, help file and help context, as an automation caller sees it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qxvb {

// The VB run-time error numbers the library raises or passes through.
namespace vberr {
inline constexpr int32_t InvalidProcedureCall = 5;
inline constexpr int32_t Overflow = 6;
inline constexpr int32_t OutOfMemory = 7;
inline constexpr int32_t SubscriptOutOfRange = 9;
inline constexpr int32_t DivisionByZero = 11;
inline constexpr int32_t TypeMismatch = 13;
inline constexpr int32_t BadFileNameOrNumber = 52;
inline constexpr int32_t FileNotFound = 53;
inline constexpr int32_t FileAlreadyExists = 58;
inline constexpr int32_t DiskFull = 61;
inline constexpr int32_t TooManyFiles = 67;
inline constexpr int32_t PermissionDenied = 70;
inline constexpr int32_t RenameAcrossDisks = 74;
inline constexpr int32_t PathFileAccessError = 75;
inline constexpr int32_t PathNotFound = 76;
inline constexpr int32_t ObjectNotSet = 91;
inline constexpr int32_t InvalidUseOfNull = 94;
inline constexpr int32_t ObjectRequired = 424;
inline constexpr int32_t CantCreateObject = 429;
inline constexpr int32_t NoSuchMember = 438;
inline constexpr int32_t ArgumentNotOptional = 449;
inline constexpr int32_t WrongArgumentCount = 450;
inline constexpr int32_t DuplicateKey = 457;
}  // namespace vberr

// The run-time library's own description of a VB error number, or
// "Application-defined or object-defined error" for any other number.
std::string_view vbErrorText(int32_t number);

class AutomationError : public std::runtime_error {
 public:
  AutomationError(int32_t number, std::string source, std::string description,
                  std::string helpFile = {}, int32_t helpContext = 0);

  int32_t number() const { return number_; }
  const std::string& source() const { return source_; }
  const std::string& description() const { return description_; }
  const std::string& helpFile() const { return helpFile_; }
  int32_t helpContext() const { return helpContext_; }

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
  std::string helpFile_;
  int32_t helpContext_;
};

// Source used for run-time errors the library raises without a Part-given
// source, as the VB run time names the project.
inline constexpr std::string_view kProjectName = "QXVBUtils";

[[noreturn]] void raiseError(int32_t number, std::string_view source, std::string_view description,
                             std::string_view helpFile = {}, int32_t helpContext = 0);

// Raises a VB run-time error with its standard description.
[[noreturn]] void raiseVbError(int32_t number, std::string_view source = kProjectName);

}  // namespace qxvb
