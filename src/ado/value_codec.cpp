#include "ado/value_codec.h"
#include "platform/text/utf.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace qxvb::ado {

namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

// OLE date serial 0 is 1899-12-30, 25569 days before 1970-01-01.
constexpr int64_t kEpochOffset = 25569;

}  // namespace

DateValue toDate(const DateParts& p) {
  const int64_t days =
      daysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day)) +
      kEpochOffset;
  const double time = (p.hour * 3600.0 + p.minute * 60.0 + p.second + p.nanos / 1e9) / 86400.0;
  // Before the epoch the time still counts forward from midnight, the sign
  // applying to the day part only.
  return DateValue{days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time};
}

DateParts fromDate(DateValue date) {
  DateParts p;
  const double whole = std::trunc(date.serial);
  double frac = std::fabs(date.serial - whole);
  int64_t seconds = std::llround(frac * 86400.0);
  int64_t days = static_cast<int64_t>(whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    days += date.serial >= 0 ? 1 : -1;
  }
  civilFromDays(days - kEpochOffset, p.year, p.month, p.day);
  p.hour = static_cast<int>(seconds / 3600);
  p.minute = static_cast<int>((seconds / 60) % 60);
  p.second = static_cast<int>(seconds % 60);
  return p;
}

std::string formatIsoDate(DateValue date) {
  const DateParts p = fromDate(date);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour,
                p.minute, p.second);
  return buf;
}

bool parseIsoDate(std::string_view text, DateValue& out) {
  DateParts p;
  int consumed = 0;
  const std::string s(text);
  if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &p.year, &p.month, &p.day, &consumed) != 3) {
    return false;
  }
  if (consumed != 10) return false;
  size_t i = 10;
  if (i < s.size()) {
    if (s[i] != ' ' && s[i] != 'T') return false;
    int hh = 0;
    int mm = 0;
    double ss = 0;
    int used = 0;
    const int got = std::sscanf(s.c_str() + i + 1, "%2d:%2d%n", &hh, &mm, &used);
    if (got != 2) return false;
    size_t j = i + 1 + static_cast<size_t>(used);
    if (j < s.size() && s[j] == ':') {
      int used2 = 0;
      if (std::sscanf(s.c_str() + j + 1, "%lf%n", &ss, &used2) != 1) return false;
      j += 1 + static_cast<size_t>(used2);
    }
    if (j != s.size()) return false;
    p.hour = hh;
    p.minute = mm;
    p.second = static_cast<int>(ss);
    p.nanos = static_cast<uint32_t>(std::llround((ss - p.second) * 1e9));
  }
  if (p.month < 1 || p.month > 12 || p.day < 1 || p.day > 31 || p.hour > 23 || p.minute > 59 ||
      p.second > 59) {
    return false;
  }
  out = toDate(p);
  return true;
}

Variant integerVariant(int64_t value) {
  if (value >= std::numeric_limits<int32_t>::min() &&
      value <= std::numeric_limits<int32_t>::max()) {
    return Variant(static_cast<int32_t>(value));
  }
  return Variant(static_cast<double>(value));
}

Variant nextPiece(std::string_view data, bool binary, size_t& offset, size_t count) {
  if (offset >= data.size() || count == 0) return Variant::null();
  const std::string_view rest = data.substr(offset);
  const size_t take = binary ? std::min(count, rest.size()) : utf::offsetOf(rest, count);
  offset += take;
  if (!binary) return Variant(std::string(rest.substr(0, take)));
  // Copied as bytes, in one block move rather than character by character.
  const auto* bytes = reinterpret_cast<const uint8_t*>(rest.data());
  ByteArray piece;
  piece.data.assign(bytes, bytes + take);
  return Variant(std::move(piece));
}

Variant nextPiece(const Variant& value, size_t& offset, size_t count) {
  if (const auto* bytes = value.get<ByteArray>()) {
    const std::string_view data(reinterpret_cast<const char*>(bytes->data.data()),
                                bytes->data.size());
    return nextPiece(data, true, offset, count);
  }
  if (const auto* text = value.get<std::string>()) return nextPiece(*text, false, offset, count);
  return Variant::null();
}

}  // namespace qxvb::ado
