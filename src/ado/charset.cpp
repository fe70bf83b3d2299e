#include "ado/charset.h"

#include <iconv.h>

#include <cerrno>

#include "ado/names.h"
#include "ado/value_codec.h"

namespace qxvb::ado {

namespace {

class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts input; at an input it cannot take, replacement is written and
  // skip bytes are passed over.
  std::string run(std::string_view input, std::string_view replacement,
                  size_t (*skip)(std::string_view)) {
    std::string out;
    char buffer[4096];
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (inLeft > 0) {
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      const size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, sizeof buffer - outLeft);
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
        out += replacement;
        const size_t n = std::min(inLeft, skip(std::string_view(in, inLeft)));
        in += n;
        inLeft -= n;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

size_t oneCodePoint(std::string_view utf8) {
  const size_t n = codePointOffset(utf8, 1);
  return n == 0 ? 1 : n;
}

size_t oneByte(std::string_view) {
  return 1;
}

}  // namespace

std::string iconvName(std::string_view charset) {
  if (sameName(charset, "Unicode") || sameName(charset, "utf-16")) return "UTF-16LE";
  if (sameName(charset, "unicodeFFFE") || sameName(charset, "utf-16BE")) return "UTF-16BE";
  if (sameName(charset, "utf-8") || sameName(charset, "unicode-1-1-utf-8")) return "UTF-8";
  if (sameName(charset, "ascii") || sameName(charset, "us-ascii")) return "ASCII";
  std::string name(charset);
  const iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  iconv_close(cd);
  return name;
}

std::string byteOrderMark(std::string_view charset) {
  const std::string name = iconvName(charset);
  if (name == "UTF-16LE") return "\xFF\xFE";
  if (name == "UTF-16BE") return "\xFE\xFF";
  if (name == "UTF-8") return "\xEF\xBB\xBF";
  return {};
}

std::string encodeText(std::string_view utf8, std::string_view charset) {
  const std::string name = iconvName(charset);
  if (name == "UTF-8") return std::string(utf8);
  Converter converter(name, "UTF-8");
  if (!converter.valid()) return std::string(utf8);
  const std::string question = name == "UTF-16LE"   ? std::string("?\0", 2)
                               : name == "UTF-16BE" ? std::string("\0?", 2)
                                                    : std::string("?");
  return converter.run(utf8, question, oneCodePoint);
}

std::string decodeText(std::string_view bytes, std::string_view charset) {
  const std::string name = iconvName(charset);
  Converter converter("UTF-8", name.empty() ? std::string("UTF-8") : name);
  if (!converter.valid()) return std::string(bytes);
  return converter.run(bytes, "\xEF\xBF\xBD", oneByte);
}

}  // namespace qxvb::ado
