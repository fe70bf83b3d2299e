// Quoting, trimming, C strings, Max/Min, Null replacement and memo
// properties of QXUtilities, called directly.
#include <gtest/gtest.h>

#include <string>

#include "frame/automation_error.h"
#include "support/errors.h"
#include "text/qxutilities.h"

namespace qxvb {
namespace {

using test::expectError;

void writeRevertSetting(const std::string& value) {
  QXUtilities writer;
  std::string item = "RevertQuotingChange";
  std::string text = value;
  writer.QXSetSetting(item, text, "Quillane");
}

class QuotingTest : public ::testing::Test {
 protected:
  void SetUp() override { writeRevertSetting("N"); }
  QXUtilities u;
};

TEST_F(QuotingTest, PlainNamesStayAndSpecialNamesAreEnclosed) {
  EXPECT_EQ(u.QXQuoteIfNeeded("abc"), "abc");
  EXPECT_EQ(u.QXQuoteIfNeeded("a b"), "\"a b\"");
  EXPECT_EQ(u.QXQuoteIfNeeded("1abc"), "\"1abc\"");
  EXPECT_EQ(u.QXQuoteIfNeeded("a9"), "a9");
  for (const char* special : {",", "+", ".", ";",  "[",  "{",  "(",  ")", "}", "]",
                              "/", "@", "'", "\\", "\r", "\n", "\t", "*", "|", "`"}) {
    EXPECT_EQ(u.QXQuoteIfNeeded(std::string("x") + special), std::string("\"x") + special + "\"")
        << "special character code " << int(special[0]);
  }
}

TEST_F(QuotingTest, LeadingQuoteCountsAsQuotedAndInnerQuotesStay) {
  EXPECT_EQ(u.QXQuoteIfNeeded("\"a b"), "\"a b");
  EXPECT_EQ(u.QXQuoteIfNeeded("a\"b"), "\"a\"b\"");
}

TEST_F(QuotingTest, EmptyTextIsQuotedOnlyWhenAsked) {
  EXPECT_EQ(u.QXQuoteIfNeeded(""), "");
  EXPECT_EQ(u.QXQuoteIfNeeded("", true), "\"\"");
}

TEST_F(QuotingTest, NonAsciiAndNulPassThrough) {
  EXPECT_EQ(u.QXQuoteIfNeeded("Größe"), "Größe");
  EXPECT_EQ(u.QXQuoteIfNeeded(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(u.QXQuoteIfNeeded("\xff\xfe"), "\xff\xfe");
}

TEST_F(QuotingTest, EarlierRulesFromTheSettingAreReadOncePerInstance) {
  writeRevertSetting("y");
  QXUtilities earlier;
  EXPECT_EQ(earlier.QXQuoteIfNeeded("a*b"), "a*b");
  EXPECT_EQ(earlier.QXQuoteIfNeeded("a\"b"), "a\"b");
  EXPECT_EQ(earlier.QXQuoteIfNeeded("a;b"), "\"a;b\"");
  // The instance keeps its rules after the setting changes.
  writeRevertSetting("N");
  EXPECT_EQ(earlier.QXQuoteIfNeeded("a*b"), "a*b");
  QXUtilities current;
  EXPECT_EQ(current.QXQuoteIfNeeded("a*b"), "\"a*b\"");
}

TEST(UnQuoteTest, RemovesOneEnclosingPair) {
  QXUtilities u;
  EXPECT_EQ(u.QXUnQuote("\"abc\""), "abc");
  EXPECT_EQ(u.QXUnQuote("\"abc"), "\"abc");
  EXPECT_EQ(u.QXUnQuote("\"\""), "");
  EXPECT_EQ(u.QXUnQuote("\"\"a\"\""), "\"a\"");
  EXPECT_EQ(u.QXUnQuote(""), "");
  EXPECT_EQ(u.QXUnQuote("abc"), "abc");
}

TEST(UnQuoteTest, LoneQuoteRaisesInvalidArgument) {
  QXUtilities u;
  expectError(vberr::InvalidProcedureCall, [&] { u.QXUnQuote("\""); });
}

TEST(TrimTest, OnlySpaceCrLfAndTabAreWhiteSpace) {
  QXUtilities u;
  EXPECT_EQ(u.QXTrimWhiteSpace("\t x\r\n"), "x");
  EXPECT_EQ(u.QXTrimWhiteSpace("    "), "");
  EXPECT_EQ(u.QXTrimWhiteSpace(""), "");
  EXPECT_EQ(u.QXTrimWhiteSpace("\xC2\xA0x\xC2\xA0"), "\xC2\xA0x\xC2\xA0");
  EXPECT_EQ(u.QXTrimWhiteSpace("\fx\v"), "\fx\v");
  EXPECT_EQ(u.QXTrimLeftWhiteSpace(" \tx y "), "x y ");
  EXPECT_EQ(u.QXTrimRightWhiteSpace(" x y\r\n"), " x y");
  EXPECT_EQ(u.QXTrimLeftWhiteSpace("x "), "x ");
  EXPECT_EQ(u.QXTrimRightWhiteSpace(" \n"), "");
}

TEST(CStringTest, CutsAtTheFirstNul) {
  QXUtilities u;
  EXPECT_EQ(u.QXCStringToVBString(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(u.QXCStringToVBString(std::string("\0cd", 3)), "");
  EXPECT_EQ(u.QXCStringToVBString("abc"), "abc");
}

TEST(MaxMinTest, EqualValuesGiveTheSecondArgument) {
  QXUtilities u;
  const Variant three16(int16_t{3});
  const Variant three32(int32_t{3});
  EXPECT_EQ(u.QXMax(three16, three32).type(), VarType::Long);
  EXPECT_EQ(u.QXMin(three32, three16).type(), VarType::Integer);
}

TEST(MaxMinTest, NumbersCompareNumericallyAndStringsAsStrings) {
  QXUtilities u;
  EXPECT_EQ(u.QXMax(Variant(int32_t{2}), Variant(int32_t{10})), Variant(int32_t{10}));
  EXPECT_EQ(u.QXMax(Variant("2"), Variant("10")), Variant("2"));
  EXPECT_EQ(u.QXMin(Variant("2"), Variant("10")), Variant("10"));
  EXPECT_EQ(u.QXMax(Variant(int32_t{2}), Variant("10")), Variant("10"));
  EXPECT_EQ(u.QXMin(Variant(2.5), Variant(int16_t{1})), Variant(int16_t{1}));
}

TEST(MaxMinTest, NullGivesTheSecondArgumentAndTextAgainstNumberFails) {
  QXUtilities u;
  EXPECT_EQ(u.QXMax(Variant::null(), Variant(int32_t{1})), Variant(int32_t{1}));
  EXPECT_TRUE(u.QXMin(Variant(int32_t{1}), Variant::null()).isNull());
  expectError(vberr::TypeMismatch, [&] { u.QXMax(Variant("abc"), Variant(int32_t{1})); });
}

TEST(CheckForNullTest, NullBecomesEmptyTextOthersAreCopied) {
  QXUtilities u;
  EXPECT_EQ(u.QXUtil_CheckForNull(Variant::null()), Variant(""));
  EXPECT_EQ(u.QXUtil_CheckForNull(Variant(int32_t{7})), Variant(int32_t{7}));
  EXPECT_TRUE(u.QXUtil_CheckForNull(Variant()).isEmpty());
}

struct Property {
  bool more;
  int32_t pos;
  std::string name;
  std::string value;
};

Property next(const std::string& memo, int32_t pos) {
  QXUtilities u;
  Property p{false, pos, "unset", "unset"};
  p.more = u.QXUtil_GetNextProperty(memo, p.pos, p.name, p.value);
  return p;
}

TEST(NextPropertyTest, ReadsAWholeMemo) {
  const std::string memo = "[[[A]]]\r\n1\r\n[[[B]]]2";
  const Property first = next(memo, 1);
  EXPECT_TRUE(first.more);
  EXPECT_EQ(first.name, "A");
  EXPECT_EQ(first.value, "1");
  EXPECT_EQ(first.pos, 13);
  const Property second = next(memo, first.pos);
  EXPECT_FALSE(second.more);
  EXPECT_EQ(second.name, "B");
  EXPECT_EQ(second.value, "2");
  EXPECT_EQ(second.pos, 0);
}

TEST(NextPropertyTest, LastValueLosesTheMemosFinalCrLfOnly) {
  EXPECT_EQ(next("[[[A]]]x\r\n", 1).value, "x");
  EXPECT_EQ(next("[[[A]]]x\r\n\r\n", 1).value, "x\r\n");
  EXPECT_EQ(next("[[[A]]]\r\n", 1).value, "");
  EXPECT_EQ(next("[[[A]]]x\n", 1).value, "x\n");
}

TEST(NextPropertyTest, PositionsCountCharacters) {
  const std::string memo = "[[[Ä]]]\r\nü\r\n[[[B]]]2";
  const Property first = next(memo, 1);
  EXPECT_EQ(first.name, "Ä");
  EXPECT_EQ(first.value, "ü");
  EXPECT_EQ(first.pos, 13);
  EXPECT_EQ(next(memo, first.pos).name, "B");
}

TEST(NextPropertyTest, LongMixedMemoReadsEveryPropertyInOrder) {
  std::string memo;
  for (int k = 0; k < 300; ++k) {
    memo += "[[[n" + std::to_string(k) + "]]]\r\n" + (k % 3 == 0 ? "wert äöü €" : "plain value");
    memo += "\r\n";
  }
  QXUtilities u;
  int32_t pos = 1;
  std::string name;
  std::string value;
  int k = 0;
  bool more = true;
  while (more) {
    more = u.QXUtil_GetNextProperty(memo, pos, name, value);
    EXPECT_EQ(name, "n" + std::to_string(k));
    EXPECT_EQ(value, k % 3 == 0 ? "wert äöü €" : "plain value");
    ++k;
  }
  EXPECT_EQ(k, 300);
}

TEST(NextPropertyTest, NoPropertyLeavesTheOutputsUnchanged) {
  for (const char* memo : {"", "no properties", "[[[A", "A]]]", "]]] [[["}) {
    const Property p = next(memo, 1);
    EXPECT_FALSE(p.more);
    EXPECT_EQ(p.pos, 1);
    EXPECT_EQ(p.name, "unset");
    EXPECT_EQ(p.value, "unset");
  }
  EXPECT_EQ(next("[[[A]]]1", 100).name, "unset");
}

TEST(NextPropertyTest, CloseBeforeOpenIsSearchedAgainFromTheOpen) {
  const Property p = next("x]]] [[[N]]]v", 1);
  EXPECT_EQ(p.name, "N");
  EXPECT_EQ(p.value, "v");
}

TEST(NextPropertyTest, EmptyValueRightBeforeTheNextPropertyIsEmpty) {
  const Property p = next("[[[A]]]\r\n[[[B]]]2", 1);
  EXPECT_TRUE(p.more);
  EXPECT_EQ(p.value, "");
  EXPECT_EQ(p.pos, 10);
}

TEST(NextPropertyTest, PositionBelowOneRaisesInvalidArgument) {
  expectError(vberr::InvalidProcedureCall, [] { next("[[[A]]]1", 0); });
  expectError(vberr::InvalidProcedureCall, [] { next("[[[A]]]1", -5); });
}

}  // namespace
}  // namespace qxvb
