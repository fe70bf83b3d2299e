#include "xml/dom_errors.h"

#include <string>

#include "frame/automation_error.h"

namespace qxvb::xml {

void raiseDomError(std::string_view description) {
  raiseError(kDomFailure, kDomSource, std::string(description) + "\r\n");
}

}  // namespace qxvb::xml
