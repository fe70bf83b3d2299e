#include "text/property_labels.h"

#include "exports/merrin.h"
#include "platform/ansi.h"
#include "text/trimming.h"

namespace qxvb {

std::string labelForPropertyInType(int16_t major, int16_t minor, std::string_view property) {
  std::string buffer(kLabelBufferLength, ' ');
  const std::string ansiProperty = ansi::fromUtf8(property);
  lpGetLabelForPropertyInType(major, minor, ansiProperty.c_str(), buffer.data(),
                              kLabelBufferLength);
  return cStringToVBString(ansi::toUtf8(buffer));
}

}  // namespace qxvb
