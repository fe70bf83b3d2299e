#include "anchors.h"

/* The classic decoder: a 256-entry table of 6-bit values (0x80 for
   anything else), four letters a step; a line break is stepped over, and
   the last group (padding) is taken letter by letter. */
size_t anchorDecodeBase64(const char* text, size_t text_size, uint8_t* out) {
  static uint8_t table[256];
  const char* letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  if (table[0] == 0) {
    for (int i = 0; i < 256; ++i) table[i] = 0x80;
    for (int i = 0; i < 64; ++i) table[(unsigned char)letters[i]] = (uint8_t)i;
  }
  const unsigned char* s = (const unsigned char*)text;
  size_t i = 0, written = 0;
  while (i + 4 <= text_size) {
    if (s[i] == '\n' || s[i] == '\r') {
      ++i;
      continue;
    }
    const uint32_t a = table[s[i]], b = table[s[i + 1]], c = table[s[i + 2]], d = table[s[i + 3]];
    if ((a | b | c | d) & 0x80) break;
    const uint32_t group = a << 18 | b << 12 | c << 6 | d;
    out[written] = (uint8_t)(group >> 16);
    out[written + 1] = (uint8_t)(group >> 8);
    out[written + 2] = (uint8_t)group;
    written += 3;
    i += 4;
  }
  uint32_t group = 0;
  int held = 0;
  for (; i < text_size; ++i) {
    if (table[s[i]] & 0x80) continue;
    group = group << 6 | table[s[i]];
    ++held;
  }
  if (held >= 2) out[written++] = (uint8_t)(group >> (held == 3 ? 10 : 4));
  if (held == 3) out[written++] = (uint8_t)(group >> 2);
  return written;
}
