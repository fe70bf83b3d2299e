#include "text/property_labels.h"

#include "components/merrin/merrin.h"
#include "text/ansi_text.h"
#include "text/trimming.h"

namespace qxvb {

std::string labelForPropertyInType(int16_t major, int16_t minor, std::string_view property) {
  std::string buffer(kLabelBufferLength, ' ');
  const std::string ansiProperty = toAnsi(property);
  lpGetLabelForPropertyInType(major, minor, ansiProperty.c_str(), buffer.data(),
                              kLabelBufferLength);
  return cStringToVBString(fromAnsi(buffer));
}

}  // namespace qxvb
