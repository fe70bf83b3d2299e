#include "frame/automation_error.h"

#include <utility>

namespace qxvb {

std::string_view vbErrorText(int32_t number) {
  switch (number) {
    case 3:
      return "Return without GoSub";
    case 5:
      return "Invalid procedure call or argument";
    case 6:
      return "Overflow";
    case 7:
      return "Out of memory";
    case 9:
      return "Subscript out of range";
    case 11:
      return "Division by zero";
    case 13:
      return "Type mismatch";
    case 52:
      return "Bad file name or number";
    case 53:
      return "File not found";
    case 54:
      return "Bad file mode";
    case 55:
      return "File already open";
    case 57:
      return "Device I/O error";
    case 58:
      return "File already exists";
    case 61:
      return "Disk full";
    case 62:
      return "Input past end of file";
    case 67:
      return "Too many files";
    case 68:
      return "Device unavailable";
    case 70:
      return "Permission denied";
    case 71:
      return "Disk not ready";
    case 74:
      return "Can't rename with different drive";
    case 75:
      return "Path/File access error";
    case 76:
      return "Path not found";
    case 91:
      return "Object variable or With block variable not set";
    case 94:
      return "Invalid use of Null";
    case 424:
      return "Object required";
    case 429:
      return "ActiveX component can't create object";
    case 430:
      return "Class does not support Automation or does not support expected interface";
    case 438:
      return "Object doesn't support this property or method";
    case 449:
      return "Argument not optional";
    case 450:
      return "Wrong number of arguments or invalid property assignment";
    case 457:
      return "This key is already associated with an element of this collection";
    default:
      return "Application-defined or object-defined error";
  }
}

AutomationError::AutomationError(int32_t number, std::string source, std::string description,
                                 std::string helpFile, int32_t helpContext)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)),
      helpFile_(std::move(helpFile)),
      helpContext_(helpContext) {}

void raiseError(int32_t number, std::string_view source, std::string_view description,
                std::string_view helpFile, int32_t helpContext) {
  throw AutomationError(number, std::string(source), std::string(description),
                        std::string(helpFile), helpContext);
}

void raiseVbError(int32_t number, std::string_view source) {
  raiseError(number, source, vbErrorText(number));
}

}  // namespace qxvb
