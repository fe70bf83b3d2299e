#include "files/file_dates.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>

#include "files/file_errors.h"
#include "frame/automation_error.h"
#include "frame/vb_conversions.h"

namespace qxvb::files {

namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian calendar).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// OLE dates count days from 1899-12-30, 25569 days before 1970-01-01.
constexpr int64_t kEpochOffset = 25569;

// The creation time where the file system keeps one, else the earlier of
// the change and modification times.
std::time_t creationTime(const std::string& file, const struct stat& st) {
  struct statx sx {};
  if (::statx(AT_FDCWD, file.c_str(), 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME)) {
    return static_cast<std::time_t>(sx.stx_btime.tv_sec);
  }
  return st.st_ctime < st.st_mtime ? st.st_ctime : st.st_mtime;
}

}  // namespace

DateValue localDate(std::time_t moment) {
  std::tm tm{};
  localtime_r(&moment, &tm);
  const int64_t days = daysFromCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) + kEpochOffset;
  const int64_t seconds = tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
  return DateValue{static_cast<double>(days) + static_cast<double>(seconds) / 86400.0};
}

std::string dateText(DateValue date) {
  return CStr(Variant(date));
}

std::string nowText() {
  return dateText(localDate(std::time(nullptr)));
}

DateValue fileDate(const std::string& file, int32_t kind) {
  struct stat st {};
  if (unusablePath(file) || ::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    raiseVbError(vberr::FileNotFound);
  }
  switch (kind) {
    case DS_Created:
      return localDate(creationTime(file, st));
    case DS_Accessed:
      return localDate(st.st_atime);
    default:
      return localDate(st.st_mtime);
  }
}

}  // namespace qxvb::files
