#include <gtest/gtest.h>

#include <string>

#include "platform/iconv_text.h"
#include "platform/text/utf.h"

namespace qxvb {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(Utf, InvalidSequencesAreReplacedByteByByte) {
  EXPECT_TRUE(utf::isValid("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));
  // An overlong NUL, a surrogate, a value above U+10FFFF, a cut sequence.
  for (const std::string bad : {"\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"}) {
    EXPECT_FALSE(utf::isValid(bad)) << bad.size();
    std::string expected;
    for (size_t i = 0; i < bad.size(); ++i) expected += kReplacement;
    // Continuation bytes on their own are invalid too, so each byte counts.
    EXPECT_EQ(utf::repair(bad), expected);
    EXPECT_EQ(utf::count(bad), bad.size());
  }
  EXPECT_EQ(utf::repair("x\xFFy"), "x" + kReplacement + "y");
  EXPECT_EQ(utf::offsetOf("\xC3\xA9t\xC3\xA9", 2), 3u);
}

TEST(Utf, Utf16RoundTripsAndUnpairedSurrogatesBecomeReplacements) {
  const std::string text = "A\xC3\xA9\xF0\x9F\x98\x80";
  const std::u16string units = utf::toUtf16(text);
  EXPECT_EQ(units, (std::u16string{u'A', 0xE9, 0xD83D, 0xDE00}));
  EXPECT_EQ(utf::fromUtf16(units), text);
  EXPECT_EQ(utf::fromUtf16(std::u16string{0xD83D, u'x'}), kReplacement + "x");
  EXPECT_EQ(utf::fromUtf16(std::u16string{0xDE00}), kReplacement);

  const std::string bytes = utf::toUtf16le(text);
  EXPECT_EQ(bytes, std::string("A\0\xE9\0\x3D\xD8\x00\xDE", 8));
  EXPECT_EQ(utf::fromUtf16le(bytes), text);
  EXPECT_EQ(utf::fromUtf16le(bytes + "A"), text);  // odd last byte dropped
}

size_t oneByte(std::string_view) {
  return 1;
}

TEST(Utf, IconvWritesTheReplacementForWhatItCannotConvert) {
  platform::IconvConverter latin1("ISO-8859-1", "UTF-8");
  ASSERT_TRUE(latin1.valid());
  EXPECT_EQ(latin1.convert("a\xC3\xA9\xE2\x82\xAC", "?", oneByte), "a\xE9???");
  EXPECT_FALSE(platform::IconvConverter("NO-SUCH-SET", "UTF-8").valid());
  EXPECT_FALSE(platform::iconvKnows("UTF-8", "NO-SUCH-SET"));
}

}  // namespace
}  // namespace qxvb
