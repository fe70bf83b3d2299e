#include "ado/ado_errors.h"

#include "frame/automation_error.h"

namespace qxvb::ado {

std::string_view errorText(int32_t number) {
  switch (number) {
    case err::kBadArguments:
      return "Arguments are of the wrong type, are out of acceptable range, or are in conflict "
             "with one another.";
    case err::kFileOpenFailed:
      return "File could not be opened.";
    case err::kWriteFileFailed:
      return "Write to file failed.";
    case err::kNoCurrentRecord:
      return "Either BOF or EOF is True, or the current record has been deleted. Requested "
             "operation requires a current record.";
    case err::kNotInContext:
      return "Operation is not allowed in this context.";
    case err::kNotUpdatable:
      return "Current Recordset does not support updating. This may be a limitation of the "
             "provider, or of the selected locktype.";
    case err::kItemNotFound:
      return "Item cannot be found in the collection corresponding to the requested name or "
             "ordinal.";
    case err::kAlreadyInCollection:
      return "Cannot append, object already in collection.";
    case err::kObjectClosed:
      return "Operation is not allowed when the object is closed.";
    case err::kObjectOpen:
      return "Operation is not allowed when the object is open.";
    case err::kProviderNotFound:
      return "Provider cannot be found. It may not be properly installed.";
    case err::kBadParameter:
      return "Parameter object is improperly defined. Inconsistent or incomplete information was "
             "provided.";
    case err::kConnectionUnusable:
      return "The connection cannot be used to perform this operation. It is either closed or "
             "invalid in this context.";
    case err::kNoCommandText:
      return "Command text was not set for the command object.";
    case err::kMultipleStep:
      return "Multiple-step operation generated errors. Check each status value.";
    case err::kRowNotLocated:
      return "Row cannot be located for updating. Some values may have been changed since it was "
             "last read.";
    default:
      return "Unspecified error";
  }
}

void raise(int32_t number, std::string_view source) {
  raiseError(number, source, errorText(number));
}

EngineFailure::EngineFailure(std::string message, std::string sqlState, int32_t nativeError,
                             std::string source)
    : std::runtime_error(message),
      message_(std::move(message)),
      sqlState_(std::move(sqlState)),
      nativeError_(nativeError),
      source_(std::move(source)) {}

std::string EngineFailure::description() const {
  if (sqlState_.empty()) return message_;
  return "[SQLSTATE " + sqlState_ + "] " + message_;
}

void raiseEngineFailure(const EngineFailure& failure, int32_t number) {
  raiseError(number, failure.source(), failure.description());
}

}  // namespace qxvb::ado
