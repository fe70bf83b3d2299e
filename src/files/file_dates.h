// Dates of files and of the present moment as automation dates and as the
// locale's standard date-and-time text.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "frame/variant.h"

namespace qxvb {

enum enuDateStamp : int32_t {
  DS_Created = 0,
  DS_Accessed = 1,
  DS_Modified = 2,
};

namespace files {

// The local date and time of a moment, to the second.
DateValue localDate(std::time_t moment);

// The locale's standard date-and-time text of a date (date only at
// midnight), as the run time converts a date to a string.
std::string dateText(DateValue date);

// The current local date and time as text.
std::string nowText();

// The creation, last access or last modification date of a file (any
// other kind means modification). A missing file, or a folder, raises 53.
DateValue fileDate(const std::string& file, int32_t kind);

}  // namespace files

}  // namespace qxvb
