#include "text/item_names.h"

#include "frame/automation_error.h"
#include "text/char_positions.h"
#include "text/trimming.h"

namespace qxvb {

namespace {

constexpr std::string_view kForbiddenInNames{"\"\t\r\n\0\b", 6};
constexpr size_t kLongestCountedText = 32767;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool matches(char c, CharacterClass characterClass) {
  switch (characterClass) {
    case CharacterClass::Alphabetic:
      return isLetter(c);
    case CharacterClass::Alphanumeric:
      return isLetter(c) || isDigit(c);
    case CharacterClass::Numeric:
      return isDigit(c);
  }
  return false;
}

}  // namespace

bool isValidItemName(std::string_view name) {
  if (trimSpaces(name).empty()) return false;
  if (name.find_first_of(kForbiddenInNames) != std::string_view::npos) return false;
  return !longerThan(name, kMaximumItemNameLength);
}

bool consistsOf(std::string_view text, CharacterClass characterClass) {
  if (longerThan(text, kLongestCountedText)) raiseVbError(vberr::Overflow);
  if (text.empty()) return false;
  // Every byte of a non-ASCII character is outside the classes, so testing
  // bytes gives the answer for characters.
  for (const char c : text) {
    if (!matches(c, characterClass)) return false;
  }
  return true;
}

}  // namespace qxvb
