#include "platform/iconv_text.h"

#include <algorithm>
#include <cerrno>

namespace qxvb::platform {

namespace {

// iconv_open reports failure as (iconv_t)-1.
const iconv_t kNotOpened = reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)

}  // namespace

IconvConverter::IconvConverter(const std::string& to, const std::string& from)
    : cd_(iconv_open(to.c_str(), from.c_str())) {}

IconvConverter::~IconvConverter() {
  if (valid()) iconv_close(cd_);
}

bool IconvConverter::valid() const {
  return cd_ != kNotOpened;
}

std::string IconvConverter::convert(std::string_view input, std::string_view replacement,
                                    std::size_t (*skip)(std::string_view rest)) {
  std::string out;
  out.reserve(input.size());
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
      out += replacement;
      const std::size_t n =
          std::min(inLeft, std::max<std::size_t>(1, skip(std::string_view(in, inLeft))));
      in += n;
      inLeft -= n;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

bool iconvKnows(const std::string& to, const std::string& from) {
  return IconvConverter(to, from).valid();
}

}  // namespace qxvb::platform
