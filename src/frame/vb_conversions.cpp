#include "frame/vb_conversions.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <limits>

#include "frame/automation_error.h"
#include "frame/dispatch.h"
#include "platform/text/ascii.h"

namespace qxvb {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

[[noreturn]] void typeMismatch() {
  raiseVbError(vberr::TypeMismatch);
}
[[noreturn]] void invalidUseOfNull() {
  raiseVbError(vberr::InvalidUseOfNull);
}

// Reads "&H..." or "&O..." at the start of text; the value is the 16-bit
// reading when the digits fit in 16 bits, as the run time does, otherwise
// the 32-bit one.
bool parseRadix(std::string_view text, size_t& pos, double& out) {
  if (pos + 1 >= text.size() || text[pos] != '&') return false;
  const char kind = static_cast<char>(text[pos + 1] | 0x20);
  int base = 0;
  if (kind == 'h') base = 16;
  if (kind == 'o') base = 8;
  if (base == 0) return false;
  size_t i = pos + 2;
  uint64_t value = 0;
  size_t digits = 0;
  while (i < text.size()) {
    const char c = text[i];
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0 || d >= base) break;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (value > 0xFFFFFFFFULL) value &= 0xFFFFFFFFULL;
    ++digits;
    ++i;
  }
  pos = i;
  if (value <= 0xFFFF) {
    out = static_cast<int16_t>(static_cast<uint16_t>(value));
  } else {
    out = static_cast<int32_t>(static_cast<uint32_t>(value));
  }
  (void)digits;
  return true;
}

// Reads a decimal number (sign, digits, point, exponent with E or D) from
// text starting at pos; returns the number of characters that formed it.
size_t scanDecimal(std::string_view text, size_t pos, std::string& digitsOut) {
  size_t i = pos;
  digitsOut.clear();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) digitsOut += text[i++];
  bool any = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    digitsOut += text[i++];
    any = true;
  }
  if (i < text.size() && text[i] == '.') {
    digitsOut += text[i++];
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      digitsOut += text[i++];
      any = true;
    }
  }
  if (!any) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    size_t j = i + 1;
    std::string exp = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exp += text[j++];
    bool expDigits = false;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
      exp += text[j++];
      expDigits = true;
    }
    if (expDigits) {
      digitsOut += exp;
      i = j;
    }
  }
  return i - pos;
}

// Locale-independent: Val and the coercions read "." as the decimal point.
double toDouble(const std::string& digits) {
  const char* first = digits.data();
  const char* last = first + digits.size();
  if (first != last && *first == '+') ++first;
  double v = 0;
  const auto res = std::from_chars(first, last, v);
  if (res.ec == std::errc::result_out_of_range) {
    return (first != last && *first == '-') ? -HUGE_VAL : HUGE_VAL;
  }
  return v;
}

double checkedRange(double value, double lo, double hi) {
  if (std::isnan(value)) raiseVbError(vberr::Overflow);
  const double r = roundBankers(value);
  if (r < lo || r > hi) raiseVbError(vberr::Overflow);
  return r;
}

std::string formatDate(DateValue d) {
  // OLE dates count days from 1899-12-30.
  const double days = std::floor(d.serial);
  const double frac = std::fabs(d.serial - days);
  const auto epochDays = static_cast<int64_t>(days) - 25569;  // to 1970-01-01
  int64_t seconds = static_cast<int64_t>(std::llround(frac * 86400.0));
  const std::time_t t = static_cast<std::time_t>(epochDays * 86400 + seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[64];
  const bool hasTime = seconds != 0;
  const bool hasDate = static_cast<int64_t>(days) != 0;
  std::string out;
  if (hasDate || !hasTime) {
    std::strftime(buf, sizeof buf, "%x", &tm);
    out = buf;
  }
  if (hasTime) {
    std::strftime(buf, sizeof buf, "%X", &tm);
    if (!out.empty()) out += ' ';
    out += buf;
  }
  return out;
}

}  // namespace

double roundBankers(double value) {
  // nearbyint follows the current rounding mode, which is round-to-nearest-
  // even unless someone changed it; do not rely on that.
  const double floorV = std::floor(value);
  const double diff = value - floorV;
  if (diff > 0.5) return floorV + 1;
  if (diff < 0.5) return floorV;
  return std::fmod(floorV, 2.0) == 0 ? floorV : floorV + 1;
}

namespace {
// "%G" with a fixed precision, independent of the C locale's decimal point.
std::string formatGeneral(double value, int precision) {
  if (value == 0) return "0";
  char buf[64];
  const auto res =
      std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision);
  std::string s(buf, res.ptr);
  for (char& c : s) {
    if (c == 'e') c = 'E';
  }
  return s;
}
}  // namespace

std::string formatDouble(double value) {
  return formatGeneral(value, 15);
}

std::string formatSingle(float value) {
  return formatGeneral(static_cast<double>(value), 7);
}

bool parseNumber(std::string_view text, double& out) {
  size_t b = 0;
  size_t e = text.size();
  while (b < e && isBlank(text[b])) ++b;
  while (e > b && isBlank(text[e - 1])) --e;
  const std::string_view t = text.substr(b, e - b);
  if (t.empty()) return false;
  size_t pos = 0;
  if (t[0] == '&') {
    if (!parseRadix(t, pos, out)) return false;
    return pos == t.size() && pos > 2;
  }
  std::string digits;
  const size_t n = scanDecimal(t, 0, digits);
  if (n == 0 || n != t.size()) return false;
  out = toDouble(digits);
  return std::isfinite(out);
}

double Val(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (const char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') compact += c;
  }
  size_t pos = 0;
  double radix = 0;
  if (parseRadix(compact, pos, radix)) return radix;
  std::string digits;
  if (scanDecimal(compact, 0, digits) == 0) return 0;
  const double v = toDouble(digits);
  if (!std::isfinite(v)) raiseVbError(vberr::Overflow);
  return v;
}

double CDbl(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
      return 0;
    case VarType::Null:
      invalidUseOfNull();
    case VarType::Boolean:
      return *v.get<bool>() ? -1 : 0;
    case VarType::Integer:
      return *v.get<int16_t>();
    case VarType::Long:
      return *v.get<int32_t>();
    case VarType::Single:
      return *v.get<float>();
    case VarType::Double:
      return *v.get<double>();
    case VarType::Date:
      return v.get<DateValue>()->serial;
    case VarType::String: {
      double out = 0;
      if (!parseNumber(*v.get<std::string>(), out)) typeMismatch();
      return out;
    }
    default:
      typeMismatch();
  }
}

int32_t CLng(const Variant& v) {
  if (const auto* i = v.get<int32_t>()) return *i;
  if (const auto* s = v.get<int16_t>()) return *s;
  return static_cast<int32_t>(checkedRange(CDbl(v), std::numeric_limits<int32_t>::min(),
                                           std::numeric_limits<int32_t>::max()));
}

int16_t CInt(const Variant& v) {
  if (const auto* s = v.get<int16_t>()) return *s;
  return static_cast<int16_t>(checkedRange(CDbl(v), std::numeric_limits<int16_t>::min(),
                                           std::numeric_limits<int16_t>::max()));
}

uint8_t CByte(const Variant& v) {
  return static_cast<uint8_t>(checkedRange(CDbl(v), 0, 255));
}

float CSng(const Variant& v) {
  const double d = CDbl(v);
  if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) {
    raiseVbError(vberr::Overflow);
  }
  return static_cast<float>(d);
}

bool CBool(const Variant& v) {
  if (const auto* b = v.get<bool>()) return *b;
  if (const auto* s = v.get<std::string>()) {
    if (ascii::equalsIgnoreCase(*s, "True") || ascii::equalsIgnoreCase(*s, "#TRUE#")) return true;
    if (ascii::equalsIgnoreCase(*s, "False") || ascii::equalsIgnoreCase(*s, "#FALSE#"))
      return false;
  }
  return CDbl(v) != 0;
}

DateValue CDate(const Variant& v) {
  if (const auto* d = v.get<DateValue>()) return *d;
  return DateValue{CDbl(v)};
}

Object CObj(const Variant& v) {
  if (const auto* o = v.get<Object>()) return *o;
  if (v.isEmpty()) return nullptr;
  typeMismatch();
}

std::string CStr(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
      return {};
    case VarType::Null:
      invalidUseOfNull();
    case VarType::Boolean:
      return *v.get<bool>() ? "True" : "False";
    case VarType::Integer:
      return std::to_string(*v.get<int16_t>());
    case VarType::Long:
      return std::to_string(*v.get<int32_t>());
    case VarType::Single:
      return formatSingle(*v.get<float>());
    case VarType::Double:
      return formatDouble(*v.get<double>());
    case VarType::Date:
      return formatDate(*v.get<DateValue>());
    case VarType::String:
      return *v.get<std::string>();
    case VarType::Error:
      return "Error " + std::to_string(v.get<ErrorValue>()->scode);
    default:
      typeMismatch();
  }
}

std::optional<int> compareVariants(const Variant& a, const Variant& b) {
  if (a.isNull() || b.isNull()) return std::nullopt;
  const bool aText = a.type() == VarType::String;
  const bool bText = b.type() == VarType::String;
  const auto sign = [](auto x, auto y) { return x < y ? -1 : (x > y ? 1 : 0); };
  if (aText && bText) {
    const int c = a.get<std::string>()->compare(*b.get<std::string>());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  if ((aText && b.isEmpty()) || (a.isEmpty() && bText)) {
    return sign(CStr(a), CStr(b));
  }
  const bool aNum = a.isNumeric() || a.isEmpty() || aText;
  const bool bNum = b.isNumeric() || b.isEmpty() || bText;
  if (!aNum || !bNum) typeMismatch();
  return sign(CDbl(a), CDbl(b));
}

}  // namespace qxvb
