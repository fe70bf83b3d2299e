// The one wrapper of iconv: text converted between two character sets,
// with a replacement written for input the conversion cannot take.
#pragma once

#include <iconv.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace qxvb::platform {

class IconvConverter {
 public:
  IconvConverter(const std::string& to, const std::string& from);
  ~IconvConverter();
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  // False when iconv does not know one of the two character sets.
  bool valid() const;

  // Converts input; at input it cannot take (a character the target set
  // lacks, bytes the source set does not allow), replacement is written
  // and skip(rest) bytes of the rest are passed over (at least one).
  std::string convert(std::string_view input, std::string_view replacement,
                      std::size_t (*skip)(std::string_view rest));

 private:
  iconv_t cd_;
};

// True when iconv can convert between the two character sets.
bool iconvKnows(const std::string& to, const std::string& from);

}  // namespace qxvb::platform
