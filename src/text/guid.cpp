#include "text/guid.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>

namespace qxvb {

namespace {

void fillRandom(uint8_t* bytes, size_t size) {
  size_t filled = 0;
  while (filled < size) {
    const ssize_t n = getrandom(bytes + filled, size - filled, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      // Without the system source, fall back to the standard library's.
      std::random_device device;
      for (; filled < size; ++filled) bytes[filled] = static_cast<uint8_t>(device());
      return;
    }
    filled += static_cast<size_t>(n);
  }
}

}  // namespace

std::string newGuidText() {
  uint8_t b[16];
  fillRandom(b, sizeof b);
  b[6] = static_cast<uint8_t>((b[6] & 0x0F) | 0x40);  // version 4
  b[8] = static_cast<uint8_t>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
  char text[40];
  std::snprintf(text, sizeof text,
                "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[0],
                b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                b[14], b[15]);
  return std::string(text);
}

}  // namespace qxvb
