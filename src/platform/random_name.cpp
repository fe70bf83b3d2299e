#include "platform/random_name.h"

#include <sys/random.h>

#include <cerrno>
#include <chrono>
#include <random>
#include <vector>

namespace qxvb::platform {

namespace {

void fillRandom(unsigned char* bytes, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::getrandom(bytes + done, count - done, 0);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      break;
    }
  }
  if (done == count) return;
  // Without the kernel's generator: a per-thread engine seeded from the
  // device and the clock still differs between processes.
  thread_local std::mt19937_64 engine{
      std::random_device{}() ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
  for (; done < count; ++done) bytes[done] = static_cast<unsigned char>(engine());
}

}  // namespace

std::string randomHex(std::size_t count) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::vector<unsigned char> bytes(count);
  fillRandom(bytes.data(), count);
  std::string text;
  text.reserve(count * 2);
  for (const unsigned char b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 0x0F];
  }
  return text;
}

std::string randomText(std::size_t length, const std::string& alphabet) {
  std::vector<unsigned char> bytes(length);
  fillRandom(bytes.data(), length);
  std::string text;
  text.reserve(length);
  for (const unsigned char b : bytes) text += alphabet[b % alphabet.size()];
  return text;
}

}  // namespace qxvb::platform
