#include "files/temp_names.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

#include "files/file_checks.h"
#include "files/file_errors.h"
#include "files/folder_operations.h"
#include "files/path_pieces.h"
#include "frame/automation_error.h"
#include "frame/vb_conversions.h"

namespace qxvb::files {

namespace {

constexpr size_t kNameBuffer = 500;
constexpr int kTries = 1000;

// Seeded from the kernel, so every process (and thread) starts from a
// different name: a name prepared in advance is never the first one tried.
std::mt19937& generator() {
  thread_local std::mt19937 engine{std::random_device{}()};
  return engine;
}

// Reseeds from the time of day, mixed with the kernel's randomness so that
// processes started in the same instant still draw apart.
void reseed() {
  timeval now{};
  ::gettimeofday(&now, nullptr);
  generator().seed(static_cast<std::uint32_t>(now.tv_sec) ^
                   static_cast<std::uint32_t>(now.tv_usec << 12) ^ std::random_device{}());
}

double randomFraction() {
  return std::uniform_real_distribution<double>(0.0, 1.0)(generator());
}

// A C string stops at its first NUL.
std::string cText(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

// The first n characters (code points) of UTF-8 text.
std::string firstChars(const std::string& text, int n) {
  size_t i = 0;
  for (int count = 0; i < text.size() && count < n; ++count) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return text.substr(0, i);
}

// Creates an empty file that must be new. True when made; false when the
// name is taken; other failures are answered in error.
bool createNewFile(const std::string& name, int& error) {
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = errno;
    return false;
  }
  ::close(fd);
  error = 0;
  return true;
}

}  // namespace

std::string hexText(uint32_t number) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%X", number);
  return buffer;
}

std::string platformTempFile(const std::string& folder, const std::string& prefix, int32_t unique) {
  const std::string base = addSlashIfNeeded(cText(folder)) + firstChars(cText(prefix), 3);
  const uint32_t number = static_cast<uint32_t>(unique) & 0xFFFFu;
  if (number != 0) {
    const std::string name = base + hexText(number) + ".tmp";
    return name.size() < kNameBuffer ? name : std::string();
  }
  // A separator in the prefix would put the file outside the folder.
  if (cText(prefix).find('/') != std::string::npos) return {};
  if (base.size() + 8 >= kNameBuffer) return {};
  uint32_t candidate =
      1 + static_cast<uint32_t>(std::uniform_int_distribution<int>(0, 0xFFFE)(generator()));
  for (int i = 0; i < 0xFFFF; ++i) {
    std::string name = base + hexText(candidate) + ".tmp";
    int error = 0;
    if (createNewFile(name, error)) return name;
    if (error != EEXIST) return {};
    candidate = candidate == 0xFFFF ? 1 : candidate + 1;
  }
  return {};
}

std::string tempFileExtName(const std::string& path, const std::string& prefix, uint32_t unique,
                            const std::string& extension) {
  return addSlashIfNeeded(path) + prefix + hexText(unique) + "." + extension;
}

std::string createTempFileExt(const std::string& path, const std::string& prefix,
                              const std::string& extension) {
  if (unusablePath(path) || prefix.find_first_of(std::string("/\0", 2)) != std::string::npos ||
      extension.find_first_of(std::string("/\0", 2)) != std::string::npos) {
    raiseVbError(vberr::BadFileNameOrNumber);
  }
  reseed();
  for (int i = 0; i < kTries; ++i) {
    const auto number = static_cast<uint32_t>(randomFraction() * 4096.0);
    std::string name = tempFileExtName(path, prefix, number, extension);
    if (fileExists(name)) continue;
    int error = 0;
    if (createNewFile(name, error)) return name;
    if (error != EEXIST) raiseErrno(error);
  }
  return {};
}

std::string createTempFolder(const std::string& base, const std::string& name, bool ensureUnique) {
  if (unusablePath(base + name)) return {};
  reseed();
  uint32_t suffix = 0;
  for (int tries = 1; tries <= kTries; ++tries) {
    std::string candidate = base + name;
    if (tries > 1 && suffix != 0) candidate += "_" + hexText(suffix);
    candidate = withoutTrailingSlash(candidate);
    if (!folderExists(candidate)) {
      if (createNewFolder(candidate)) return candidate;
    } else if (!ensureUnique) {
      return candidate;
    }
    suffix = static_cast<uint32_t>(roundBankers(randomFraction() * 10000.0));
    if (!ensureUnique) break;
  }
  return {};
}

bool strictlyBelow(const std::string& folder, const std::string& base) {
  const auto relative = std::filesystem::path(folder).lexically_normal().lexically_relative(
      std::filesystem::path(base).lexically_normal());
  return !relative.empty() && *relative.begin() != ".." && relative != ".";
}

}  // namespace qxvb::files
