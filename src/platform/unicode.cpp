#include "platform/unicode.h"

#include "platform/text/ascii.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <memory>

namespace qxvb::unicode {

namespace {

bool isAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::string toUtf8(const icu::UnicodeString& s) {
  std::string out;
  s.toUTF8String(out);
  return out;
}

icu::UnicodeString fromUtf8(std::string_view text) {
  return icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

// One collator per thread: collators are not safe to share while in use.
icu::Collator* textCollator() {
  thread_local std::unique_ptr<icu::Collator> collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> c(
        icu::Collator::createInstance(icu::Locale::getDefault(), status));
    if (U_FAILURE(status) || !c) return std::unique_ptr<icu::Collator>();
    c->setStrength(icu::Collator::SECONDARY);
    return c;
  }();
  return collator.get();
}

}  // namespace

std::string foldCase(std::string_view text) {
  if (isAscii(text)) return ascii::toLower(text);
  icu::UnicodeString s = fromUtf8(text);
  s.foldCase();
  return toUtf8(s);
}

std::string toUpper(std::string_view text) {
  if (isAscii(text)) {
    std::string out(text);
    for (char& c : out) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
  }
  icu::UnicodeString s = fromUtf8(text);
  s.toUpper(icu::Locale::getDefault());
  return toUtf8(s);
}

std::string toLower(std::string_view text) {
  if (isAscii(text)) return ascii::toLower(text);
  icu::UnicodeString s = fromUtf8(text);
  s.toLower(icu::Locale::getDefault());
  return toUtf8(s);
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  return foldCase(a) == foldCase(b);
}

int compareText(std::string_view a, std::string_view b) {
  icu::Collator* collator = textCollator();
  if (collator == nullptr) {
    const std::string fa = foldCase(a);
    const std::string fb = foldCase(b);
    return fa.compare(fb);
  }
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult r =
      collator->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                            icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
  if (U_FAILURE(status)) return foldCase(a).compare(foldCase(b));
  return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

std::string sortKey(std::string_view text) {
  icu::Collator* collator = textCollator();
  if (collator == nullptr) return foldCase(text);
  const icu::UnicodeString s = fromUtf8(text);
  std::string key(64, '\0');
  int32_t needed = collator->getSortKey(s, reinterpret_cast<uint8_t*>(key.data()),
                                        static_cast<int32_t>(key.size()));
  if (needed > static_cast<int32_t>(key.size())) {
    key.resize(static_cast<size_t>(needed));
    needed = collator->getSortKey(s, reinterpret_cast<uint8_t*>(key.data()), needed);
  }
  // The key ends with a NUL that is not part of the order.
  key.resize(needed > 0 ? static_cast<size_t>(needed - 1) : 0);
  return key;
}

size_t length(std::string_view text) {
  size_t count = 0;
  int32_t i = 0;
  const auto n = static_cast<int32_t>(text.size());
  const auto* s = reinterpret_cast<const uint8_t*>(text.data());
  while (i < n) {
    UChar32 c = 0;
    U8_NEXT(s, i, n, c);
    ++count;
  }
  return count;
}

}  // namespace qxvb::unicode
