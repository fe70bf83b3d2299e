#include "text/base64.h"

#include <array>
#include <bit>
#include <cstring>
#include <string>

#include "frame/automation_error.h"
#include "platform/unicode.h"

namespace qxvb {

namespace {

static_assert(std::endian::native == std::endian::little,
              "the pair and decode tables assume little-endian stores");

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineBytes = kBase64LineLength / 4 * 3;  // 57 bytes fill one line

// Every 12-bit value as its two characters, first character in the low
// byte, so one lookup writes two characters.
constexpr std::array<uint16_t, 4096> makePairTable() {
  std::array<uint16_t, 4096> table{};
  for (size_t i = 0; i < table.size(); ++i) {
    const auto first = static_cast<uint8_t>(kAlphabet[i >> 6]);
    const auto second = static_cast<uint8_t>(kAlphabet[i & 63]);
    table[i] = static_cast<uint16_t>(first | (second << 8));
  }
  return table;
}
constexpr std::array<uint16_t, 4096> kPairs = makePairTable();

// Encodes 3 bytes into 4 characters.
inline void encodeGroup(const uint8_t* in, char* out) {
  const uint32_t bits = (uint32_t{in[0]} << 16) | (uint32_t{in[1]} << 8) | in[2];
  const uint32_t chars = kPairs[bits >> 12] | (uint32_t{kPairs[bits & 0xFFF]} << 16);
  std::memcpy(out, &chars, 4);
}

// Encodes 6 bytes into 8 characters; reads 8 bytes, so two more bytes
// must be readable after the six.
inline void encodeTwoGroups(const uint8_t* in, char* out) {
  uint64_t word = 0;
  std::memcpy(&word, in, 8);
  const uint64_t bits = __builtin_bswap64(word) >> 16;
  const uint64_t chars =
      uint64_t{kPairs[bits >> 36]} | (uint64_t{kPairs[(bits >> 24) & 0xFFF]} << 16) |
      (uint64_t{kPairs[(bits >> 12) & 0xFFF]} << 32) | (uint64_t{kPairs[bits & 0xFFF]} << 48);
  std::memcpy(out, &chars, 8);
}

// One full line: 57 bytes into 76 characters.
inline void encodeLine(const uint8_t* in, char* out) {
  for (ptrdiff_t k = 0; k < 9; ++k) encodeTwoGroups(in + 6 * k, out + 8 * k);
  encodeGroup(in + 54, out + 72);
}

// Encodes the last, partial line of fewer than 57 bytes.
char* encodeTail(const uint8_t* in, size_t size, char* out) {
  while (size >= 3) {
    encodeGroup(in, out);
    in += 3;
    size -= 3;
    out += 4;
  }
  if (size == 0) return out;
  const uint32_t bits = (uint32_t{in[0]} << 16) | (size == 2 ? uint32_t{in[1]} << 8 : 0);
  out[0] = kAlphabet[bits >> 18];
  out[1] = kAlphabet[(bits >> 12) & 63];
  out[2] = size == 2 ? kAlphabet[(bits >> 6) & 63] : '=';
  out[3] = '=';
  return out + 4;
}

// Character classes of the decoder: 0 to 63 are alphabet values.
constexpr uint8_t kSpace = 64;
constexpr uint8_t kPad = 65;
constexpr uint8_t kInvalid = 0xFF;

constexpr uint8_t valueOf(char c) {
  for (uint8_t v = 0; v < 64; ++v) {
    if (kAlphabet[v] == c) return v;
  }
  if (c == ' ' || c == '\t' || c == '\r' || c == '\n') return kSpace;
  if (c == '=') return kPad;
  return kInvalid;
}

constexpr std::array<uint8_t, 256> makeValueTable() {
  std::array<uint8_t, 256> table{};
  for (size_t i = 0; i < 256; ++i) table[i] = valueOf(static_cast<char>(i));
  return table;
}
constexpr std::array<uint8_t, 256> kValues = makeValueTable();

// Decode tables for the fast path: the value of a character at position
// k of a group, already shifted into its place among the 24 output bits
// (byte-swapped so a little-endian store writes the bytes in order); any
// other character sets kNotData.
constexpr uint32_t kNotData = 0x80000000u;

constexpr std::array<uint32_t, 256> makeShiftedTable(int position) {
  std::array<uint32_t, 256> table{};
  for (size_t i = 0; i < 256; ++i) {
    const uint8_t v = kValues[i];
    if (v >= 64) {
      table[i] = kNotData;
      continue;
    }
    const uint32_t bits = uint32_t{v} << (18 - 6 * position);
    // Output byte order: bits 23..16 first, then 15..8, then 7..0.
    table[i] = ((bits >> 16) & 0xFF) | (bits & 0xFF00) | ((bits & 0xFF) << 16);
  }
  return table;
}
constexpr std::array<uint32_t, 256> kDecode0 = makeShiftedTable(0);
constexpr std::array<uint32_t, 256> kDecode1 = makeShiftedTable(1);
constexpr std::array<uint32_t, 256> kDecode2 = makeShiftedTable(2);
constexpr std::array<uint32_t, 256> kDecode3 = makeShiftedTable(3);

[[noreturn]] void notBase64(std::string_view text, size_t offset, std::string_view what) {
  const size_t position = unicode::length(text.substr(0, offset)) + 1;
  raiseError(vberr::InvalidProcedureCall, "QX_Util_DecodeBase64",
             "The text is not valid Base64: " + std::string(what) + " at character " +
                 std::to_string(position) + ".");
}

class Decoder {
 public:
  Decoder(std::string_view text, uint8_t* out)
      : text_(text),
        s_(reinterpret_cast<const uint8_t*>(text.data())),
        n_(text.size()),
        out_(out) {}

  // Returns the number of bytes written.
  size_t run() {
    uint8_t* const start = out_;
    while (i_ < n_) {
      fastRun();
      if (i_ < n_ && !slowGroup()) break;
    }
    return static_cast<size_t>(out_ - start);
  }

 private:
  // Groups of four alphabet characters; stops at anything else. Each step
  // stores four bytes and keeps three, so the output needs one spare byte.
  void fastRun() {
    while (i_ + 8 <= n_) {
      const uint32_t a =
          kDecode0[s_[i_]] | kDecode1[s_[i_ + 1]] | kDecode2[s_[i_ + 2]] | kDecode3[s_[i_ + 3]];
      const uint32_t b =
          kDecode0[s_[i_ + 4]] | kDecode1[s_[i_ + 5]] | kDecode2[s_[i_ + 6]] | kDecode3[s_[i_ + 7]];
      if (((a | b) & kNotData) != 0) break;
      std::memcpy(out_, &a, 4);
      std::memcpy(out_ + 3, &b, 4);
      out_ += 6;
      i_ += 8;
    }
    while (i_ + 4 <= n_) {
      const uint32_t a =
          kDecode0[s_[i_]] | kDecode1[s_[i_ + 1]] | kDecode2[s_[i_ + 2]] | kDecode3[s_[i_ + 3]];
      if ((a & kNotData) != 0) return;
      std::memcpy(out_, &a, 4);
      out_ += 3;
      i_ += 4;
    }
  }

  void skipSpace() {
    while (i_ < n_ && kValues[s_[i_]] == kSpace) ++i_;
  }

  // One group with white space, padding or an error in it. Returns false
  // when the text has ended (after padding or at its very end).
  bool slowGroup() {
    uint8_t values[4] = {};
    int count = 0;
    while (count < 4) {
      skipSpace();
      if (i_ >= n_) break;
      const uint8_t v = kValues[s_[i_]];
      if (v == kPad) break;
      if (v == kInvalid) notBase64(text_, i_, "a character outside the Base64 alphabet");
      values[count++] = v;
      ++i_;
    }
    if (count == 4) {
      writeGroup(values, 3);
      return true;
    }
    if (count == 0 && i_ >= n_) return false;
    if (i_ >= n_) notBase64(text_, i_, "the last group has fewer than four characters");
    if (count < 2) notBase64(text_, i_, "the padding is misplaced");
    // The text ends with one pad after three characters or two after two.
    for (int pads = count; pads < 4; ++pads) {
      skipSpace();
      if (i_ >= n_ || kValues[s_[i_]] != kPad) {
        notBase64(text_, i_, "the last group has fewer than four characters");
      }
      ++i_;
    }
    skipSpace();
    if (i_ < n_) notBase64(text_, i_, "text follows the padding");
    writeGroup(values, count - 1);
    return false;
  }

  void writeGroup(const uint8_t* values, int bytes) {
    const uint32_t bits = (uint32_t{values[0]} << 18) | (uint32_t{values[1]} << 12) |
                          (uint32_t{values[2]} << 6) | values[3];
    const uint8_t group[3] = {static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 8),
                              static_cast<uint8_t>(bits)};
    std::memcpy(out_, group, static_cast<size_t>(bytes));
    out_ += bytes;
  }

  std::string_view text_;
  const uint8_t* s_;
  size_t n_;
  size_t i_ = 0;
  uint8_t* out_;
};

}  // namespace

size_t base64EncodedLength(size_t size) {
  if (size == 0) return 0;
  const size_t chars = (size + 2) / 3 * 4;
  return chars + (chars - 1) / kBase64LineLength;
}

void encodeBase64To(const uint8_t* data, size_t size, char* out) {
  const size_t lines = size / kLineBytes;
  const size_t rest = size % kLineBytes;
  for (size_t line = 0; line < lines; ++line) {
    encodeLine(data, out);
    data += kLineBytes;
    out += kBase64LineLength;
    if (line + 1 < lines || rest != 0) *out++ = '\n';
  }
  encodeTail(data, rest, out);
}

std::string encodeBase64(const uint8_t* data, size_t size) {
  std::string text(base64EncodedLength(size), '\0');
  encodeBase64To(data, size, text.data());
  return text;
}

// Three bytes per four characters, plus the spare byte of the fast path.
size_t base64DecodedCapacity(size_t length) {
  return length / 4 * 3 + 4;
}

size_t decodeBase64To(std::string_view text, uint8_t* out) {
  return Decoder(text, out).run();
}

std::vector<uint8_t> decodeBase64(std::string_view text) {
  std::vector<uint8_t> bytes(base64DecodedCapacity(text.size()));
  bytes.resize(decodeBase64To(text, bytes.data()));
  return bytes;
}

}  // namespace qxvb
