// Base64 in the form the product exchanges it: the standard alphabet with
// "=" padding, written in lines of 76 characters separated by a line feed.
// Decoding ignores white space anywhere in the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qxvb {

inline constexpr size_t kBase64LineLength = 76;

// The length of the encoded text of size bytes, line breaks included.
size_t base64EncodedLength(size_t size);

// Writes exactly base64EncodedLength(size) characters to out.
void encodeBase64To(const uint8_t* data, size_t size, char* out);

std::string encodeBase64(const uint8_t* data, size_t size);

// The output space decodeBase64To needs for a text of length characters.
size_t base64DecodedCapacity(size_t length);

// Decodes into out, which holds base64DecodedCapacity(text.size()) bytes;
// returns the number of bytes decoded. Errors as decodeBase64.
size_t decodeBase64To(std::string_view text, uint8_t* out);

// Raises error 5 (source "QX_Util_DecodeBase64") when the text is not
// Base64: a character outside the alphabet, misplaced padding, or a last
// group of fewer than four characters.
std::vector<uint8_t> decodeBase64(std::string_view text);

}  // namespace qxvb
