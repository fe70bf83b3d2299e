#include <gtest/gtest.h>

#include "support/errors.h"

#include "frame/automation_error.h"
#include "frame/vb_conversions.h"

namespace qxvb {
namespace {

using test::errorNumber;

TEST(CLng, RoundsHalfToEven) {
  EXPECT_EQ(CLng(Variant(2.5)), 2);
  EXPECT_EQ(CLng(Variant(3.5)), 4);
  EXPECT_EQ(CLng(Variant(-2.5)), -2);
  EXPECT_EQ(CLng(Variant(-3.5)), -4);
  EXPECT_EQ(CLng(Variant(2.4999)), 2);
  EXPECT_EQ(CLng(Variant("12.5")), 12);
  EXPECT_EQ(CLng(Variant(" 7 ")), 7);
  EXPECT_EQ(CLng(Variant("&H10")), 16);
  EXPECT_EQ(CLng(Variant(true)), -1);
  EXPECT_EQ(CLng(Variant()), 0);
}

TEST(CLng, OverflowAndMismatch) {
  EXPECT_EQ(errorNumber([] { CLng(Variant(2147483647.5)); }), 6);
  EXPECT_EQ(errorNumber([] { CLng(Variant(-2147483649.0)); }), 6);
  EXPECT_EQ(CLng(Variant(-2147483648.0)), INT32_MIN);
  EXPECT_EQ(errorNumber([] { CInt(Variant(32767.5)); }), 6);
  EXPECT_EQ(errorNumber([] { CLng(Variant("abc")); }), 13);
  EXPECT_EQ(errorNumber([] { CLng(Variant("")); }), 13);
  EXPECT_EQ(errorNumber([] { CLng(Variant::null()); }), 94);
  EXPECT_EQ(errorNumber([] { CLng(Variant(ByteArray{})); }), 13);
}

TEST(CStr, FormatsLikeTheRunTime) {
  EXPECT_EQ(CStr(Variant(true)), "True");
  EXPECT_EQ(CStr(Variant(false)), "False");
  EXPECT_EQ(CStr(Variant(int32_t{-42})), "-42");
  EXPECT_EQ(CStr(Variant(0.1)), "0.1");
  EXPECT_EQ(CStr(Variant(1e15)), "1E+15");
  EXPECT_EQ(CStr(Variant(123456789012345.0)), "123456789012345");
  EXPECT_EQ(CStr(Variant(1.0 / 3.0)), "0.333333333333333");
  EXPECT_EQ(CStr(Variant(0.00001)), "1E-05");
  EXPECT_EQ(CStr(Variant(2.5f)), "2.5");
  EXPECT_EQ(CStr(Variant()), "");
  EXPECT_EQ(errorNumber([] { CStr(Variant::null()); }), 94);
}

TEST(Val, ReadsTheLeadingNumber) {
  EXPECT_DOUBLE_EQ(Val("    1615 198th Street N.E."), 1615198);
  EXPECT_DOUBLE_EQ(Val("2457"), 2457);
  EXPECT_DOUBLE_EQ(Val(" 2 45 7"), 2457);
  EXPECT_DOUBLE_EQ(Val("24 and 57"), 24);
  EXPECT_DOUBLE_EQ(Val("abc"), 0);
  EXPECT_DOUBLE_EQ(Val("-1.5e2x"), -150);
  EXPECT_DOUBLE_EQ(Val("1d3"), 1000);
  EXPECT_DOUBLE_EQ(Val("&HFFFF"), -1);
  EXPECT_DOUBLE_EQ(Val("&HFFFFF"), 1048575);
  EXPECT_DOUBLE_EQ(Val("&O17"), 15);
  EXPECT_DOUBLE_EQ(Val("1.2.3"), 1.2);
  EXPECT_DOUBLE_EQ(Val(""), 0);
}

TEST(CBool, AcceptsWordsAndNumbers) {
  EXPECT_TRUE(CBool(Variant("true")));
  EXPECT_FALSE(CBool(Variant("FALSE")));
  EXPECT_TRUE(CBool(Variant("-1")));
  EXPECT_FALSE(CBool(Variant(0.0)));
  EXPECT_EQ(errorNumber([] { CBool(Variant("yes")); }), 13);
}

TEST(CompareVariants, NumbersStringsAndNumericStrings) {
  EXPECT_EQ(compareVariants(Variant(int32_t{2}), Variant(int32_t{10})), -1);
  EXPECT_EQ(compareVariants(Variant("2"), Variant("10")), 1);          // as strings
  EXPECT_EQ(compareVariants(Variant(int32_t{2}), Variant("10")), -1);  // numerically
  EXPECT_EQ(compareVariants(Variant(3.0), Variant(int16_t{3})), 0);
  EXPECT_EQ(compareVariants(Variant(), Variant(int32_t{0})), 0);
  EXPECT_EQ(compareVariants(Variant(), Variant("")), 0);
  EXPECT_FALSE(compareVariants(Variant::null(), Variant(int32_t{1})).has_value());
  EXPECT_EQ(errorNumber([] { compareVariants(Variant(int32_t{1}), Variant("abc")); }), 13);
}

}  // namespace
}  // namespace qxvb
