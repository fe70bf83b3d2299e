// Building and reading the data of the common value types.
#include "platform/registry/registry_store.h"

namespace qxvb::registry {

Bytes makeString(std::string_view text) {
  Bytes data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

std::string readString(const Bytes& data) {
  std::string text(data.begin(), data.end());
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

Bytes makeDword(std::uint32_t number) {
  return {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
          static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
}

std::optional<std::uint32_t> readDword(const Bytes& data) {
  if (data.size() != 4) return std::nullopt;
  return static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
         (static_cast<std::uint32_t>(data[2]) << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
}

// Each text followed by a NUL, and one more NUL to end the list.
Bytes makeMultiString(const std::vector<std::string>& texts) {
  Bytes data;
  for (const std::string& text : texts) {
    data.insert(data.end(), text.begin(), text.end());
    data.push_back(0);
  }
  data.push_back(0);
  return data;
}

// The texts up to the first empty one (the list's end).
std::vector<std::string> readMultiString(const Bytes& data) {
  std::vector<std::string> texts;
  std::string current;
  for (const std::uint8_t byte : data) {
    if (byte != 0) {
      current += static_cast<char>(byte);
      continue;
    }
    if (current.empty()) break;
    texts.push_back(std::move(current));
    current.clear();
  }
  if (!current.empty()) texts.push_back(std::move(current));
  return texts;
}

}  // namespace qxvb::registry
