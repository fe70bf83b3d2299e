// Version comparison, GUIDs, Base64 and QuickSort of QXUtilities.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "support/errors.h"
#include "text/base64.h"
#include "text/cls_sort_data.h"
#include "text/qxutilities.h"
#include "text/versions.h"

namespace qxvb {
namespace {

int32_t compare(const std::string& a, const std::string& b, const std::string& sep = ".") {
  QXUtilities u;
  return u.QXCompareVersionStrings(a, b, sep);
}

TEST(VersionTest, EmptyVersions) {
  EXPECT_EQ(compare("", ""), QX_VC_Equal);
  EXPECT_EQ(compare("1", ""), QX_VC_Version_A_Higher);
  EXPECT_EQ(compare("", "0"), QX_VC_Version_B_Higher);
}

TEST(VersionTest, PartsCompareAsNumbers) {
  EXPECT_EQ(compare("10.0", "9.9"), QX_VC_Version_A_Higher);
  EXPECT_EQ(compare("1.2", "1.10"), QX_VC_Version_B_Higher);
  EXPECT_EQ(compare("1.0", "1.0"), QX_VC_Equal);
  EXPECT_EQ(compare("1.2a", "1.2"), QX_VC_Equal);
  EXPECT_EQ(compare(" 3.x", "3.0"), QX_VC_Equal);
  EXPECT_EQ(compare("-1", "0"), QX_VC_Version_B_Higher);
}

TEST(VersionTest, MorePartsWinWhenTheCommonPartsAreEqual) {
  EXPECT_EQ(compare("2.0", "2.0.0"), QX_VC_Version_B_Higher);
  EXPECT_EQ(compare("2.0.0.1", "2.0"), QX_VC_Version_A_Higher);
  EXPECT_EQ(compare("3.1", "2.0.0"), QX_VC_Version_A_Higher);
}

TEST(VersionTest, OtherSeparators) {
  EXPECT_EQ(compare("1,2", "1,3", ","), QX_VC_Version_B_Higher);
  EXPECT_EQ(compare("1::5", "1::40", "::"), QX_VC_Version_B_Higher);
  // With an empty separator each version is one part.
  EXPECT_EQ(compare("1.9", "1.10", ""), QX_VC_Version_A_Higher);
}

TEST(VersionTest, HugeOddAndBrokenTextNeverFails) {
  EXPECT_EQ(compare("1e999", "5"), QX_VC_Version_A_Higher);
  EXPECT_EQ(compare("-1e999", "5"), QX_VC_Version_B_Higher);
  EXPECT_EQ(compare(std::string("1\0.2", 4), "1"), QX_VC_Version_A_Higher);
  EXPECT_EQ(compare("\xff\xfe.1", "0.1"), QX_VC_Equal);
  EXPECT_EQ(compare(std::string(100000, '.'), std::string(99999, '.')), QX_VC_Version_A_Higher);
}

TEST(GuidTest, BracedUpperCaseFormAndUnique) {
  QXUtilities u;
  std::set<std::string> seen;
  for (int k = 0; k < 50; ++k) {
    const std::string guid = u.QXGuidGen();
    ASSERT_EQ(guid.size(), 38u);
    EXPECT_EQ(guid.front(), '{');
    EXPECT_EQ(guid.back(), '}');
    for (size_t i = 1; i < 37; ++i) {
      const char c = guid[i];
      if (i == 9 || i == 14 || i == 19 || i == 24) {
        EXPECT_EQ(c, '-') << guid;
      } else {
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << guid;
      }
    }
    EXPECT_TRUE(seen.insert(guid).second);
  }
}

ByteArray bytesOf(const std::string& text, int32_t lbound = 0) {
  return ByteArray{lbound, std::vector<uint8_t>(text.begin(), text.end())};
}

TEST(Base64Test, KnownValues) {
  QXUtilities u;
  EXPECT_EQ(u.QX_Util_EncodeBase64(bytesOf("abc")), "YWJj");
  EXPECT_EQ(u.QX_Util_EncodeBase64(bytesOf("ab")), "YWI=");
  EXPECT_EQ(u.QX_Util_EncodeBase64(bytesOf("a")), "YQ==");
  EXPECT_EQ(u.QX_Util_EncodeBase64(bytesOf("")), "");
  EXPECT_EQ(u.QX_Util_EncodeBase64(bytesOf("\xfb\xff", 5)), "+/8=");
  EXPECT_EQ(u.QX_Util_DecodeBase64("YWJj"), bytesOf("abc"));
  EXPECT_EQ(u.QX_Util_DecodeBase64("YWI="), bytesOf("ab"));
  EXPECT_EQ(u.QX_Util_DecodeBase64(""), bytesOf(""));
  EXPECT_EQ(u.QX_Util_DecodeBase64("+/8="), bytesOf("\xfb\xff"));
}

TEST(Base64Test, LinesOfSeventySixCharactersSeparatedByLineFeeds) {
  QXUtilities u;
  EXPECT_EQ(u.QX_Util_EncodeBase64(bytesOf(std::string(57, 'x'))).find('\n'), std::string::npos);
  const std::string two = u.QX_Util_EncodeBase64(bytesOf(std::string(58, 'x')));
  ASSERT_EQ(two.size(), 76u + 1 + 4);
  EXPECT_EQ(two[76], '\n');
  const std::string text = u.QX_Util_EncodeBase64(bytesOf(std::string(57 * 3, 'y')));
  EXPECT_EQ(text.size(), 76u * 3 + 2);
  EXPECT_EQ(text.substr(text.size() - 4), "eXl5");
}

TEST(Base64Test, EveryLengthAndByteValueRoundTrips) {
  std::vector<uint8_t> data;
  for (int n = 0; n < 600; ++n) {
    const std::string text = encodeBase64(data.data(), data.size());
    EXPECT_EQ(text.size(), base64EncodedLength(data.size()));
    EXPECT_EQ(decodeBase64(text), data) << "length " << n;
    data.push_back(static_cast<uint8_t>(n * 7 + 3));
  }
}

TEST(Base64Test, DecodingIgnoresWhiteSpaceAnywhere) {
  QXUtilities u;
  EXPECT_EQ(u.QX_Util_DecodeBase64(" Y W\r\nJ\tj \n"), bytesOf("abc"));
  EXPECT_EQ(u.QX_Util_DecodeBase64("YQ = =\n"), bytesOf("a"));
  EXPECT_EQ(u.QX_Util_DecodeBase64("YWJj\r\nYWJj"), bytesOf("abcabc"));
  EXPECT_EQ(u.QX_Util_DecodeBase64("  \n"), bytesOf(""));
}

void expectNotBase64(const std::string& text) {
  QXUtilities u;
  try {
    u.QX_Util_DecodeBase64(text);
    ADD_FAILURE() << "decoded: " << text;
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), vberr::InvalidProcedureCall);
    EXPECT_EQ(e.source(), "QX_Util_DecodeBase64");
    EXPECT_NE(e.description().find("not valid Base64"), std::string::npos);
  }
}

TEST(Base64Test, TextThatIsNotBase64Raises) {
  for (const char* text : {"YWJ", "Y", "YW=j", "=YWJ", "Y===", "YWJj=", "YQ==YQ==", "YWJj!",
                           "YW\xC3\xA4j", "YQ=", "YW-j"}) {
    expectNotBase64(text);
  }
  expectNotBase64(std::string("YW\0j", 4));
}

Object sortData(const Variant& key, const Variant& data) {
  auto item = std::make_shared<clsSortData>();
  item->Key = key;
  item->Data = data;
  return item;
}

std::string keyAt(const Variant& array, size_t i) {
  const auto& items = array.get<VariantArray>()->items;
  return std::get<std::string>(static_cast<clsSortData&>(**items[i].get<Object>()).Key.storage());
}

Variant arrayOfKeys(const std::vector<std::string>& keys, int32_t lbound = 0) {
  VariantArray array{lbound, {}};
  for (const auto& k : keys) array.items.emplace_back(sortData(Variant(k), Variant(k + "-data")));
  return Variant(std::move(array));
}

TEST(QuickSortTest, KeysSortIgnoringCase) {
  QXUtilities u;
  Variant array = arrayOfKeys({"b", "A", "c"});
  u.QuickSort(array);
  EXPECT_EQ(keyAt(array, 0), "A");
  EXPECT_EQ(keyAt(array, 1), "b");
  EXPECT_EQ(keyAt(array, 2), "c");
}

TEST(QuickSortTest, DataTravelsWithItsKey) {
  QXUtilities u;
  Variant array = arrayOfKeys({"z", "m", "a"}, 1);
  u.QuickSort(array);
  const auto& items = array.get<VariantArray>()->items;
  for (const auto& item : items) {
    const auto& data = static_cast<clsSortData&>(**item.get<Object>());
    EXPECT_EQ(data.Data, Variant(*data.Key.get<std::string>() + "-data"));
  }
}

TEST(QuickSortTest, LargeArraysWithDuplicatesEndSorted) {
  QXUtilities u;
  std::vector<std::string> keys;
  for (int k = 0; k < 3000; ++k) keys.push_back("k" + std::to_string((k * 7919) % 101));
  Variant array = arrayOfKeys(keys, -3);
  u.QuickSort(array);
  for (size_t i = 1; i < keys.size(); ++i) {
    EXPECT_LE(keyAt(array, i - 1).compare(keyAt(array, i)), 0);
  }
  Variant same = arrayOfKeys(std::vector<std::string>(2000, "same"));
  u.QuickSort(same);
  EXPECT_EQ(same.get<VariantArray>()->items.size(), 2000u);
}

TEST(QuickSortTest, SortsOnlyTheGivenRange) {
  QXUtilities u;
  Variant array = arrayOfKeys({"d", "c", "b", "a"}, 1);
  u.QuickSort(array, 2, 3);
  EXPECT_EQ(keyAt(array, 0), "d");
  EXPECT_EQ(keyAt(array, 1), "b");
  EXPECT_EQ(keyAt(array, 2), "c");
  EXPECT_EQ(keyAt(array, 3), "a");
}

TEST(QuickSortTest, NumericKeysCompareAsNumbers) {
  QXUtilities u;
  VariantArray items{0, {}};
  for (int32_t k : {10, 9, 100}) items.items.emplace_back(sortData(Variant(k), Variant()));
  Variant array(std::move(items));
  u.QuickSort(array);
  const auto& sorted = array.get<VariantArray>()->items;
  EXPECT_EQ(static_cast<clsSortData&>(**sorted[0].get<Object>()).Key, Variant(int32_t{9}));
  EXPECT_EQ(static_cast<clsSortData&>(**sorted[2].get<Object>()).Key, Variant(int32_t{100}));
}

TEST(QuickSortTest, WrongElementsAndRangesRaise) {
  QXUtilities u;
  auto expectError = [&](int32_t number, Variant array, int32_t left = 0, int32_t right = 0) {
    try {
      u.QuickSort(array, left, right);
      ADD_FAILURE() << "no error, expected " << number;
    } catch (const AutomationError& e) {
      EXPECT_EQ(e.number(), number);
    }
  };
  expectError(vberr::TypeMismatch, Variant(VariantArray{0, {Variant("a"), Variant("b")}}));
  expectError(vberr::TypeMismatch, Variant("not an array"));
  expectError(
      vberr::TypeMismatch,
      Variant(VariantArray{
          0, {Variant(sortData("a", Variant())), Variant(createObject("QXVBUtils.QXUtilities"))}}));
  expectError(vberr::ObjectNotSet,
              Variant(VariantArray{0, {Variant(sortData("a", Variant())), Variant(Object())}}));
  expectError(vberr::SubscriptOutOfRange, arrayOfKeys({"b", "a"}), 0, 5);
}

TEST(QuickSortTest, AWrongElementLeavesTheCallersArrayWholeAndOneElementIsChecked) {
  QXUtilities u;
  Variant array = arrayOfKeys({"d", "c", "b", "a"});
  array.get<VariantArray>()->items.emplace_back("not sort data");
  EXPECT_EQ(test::errorNumber([&] { u.QuickSort(array); }), vberr::TypeMismatch);
  const auto& items = array.get<VariantArray>()->items;
  ASSERT_EQ(items.size(), 5u);
  for (size_t i = 0; i < 4; ++i)
    EXPECT_EQ(keyAt(array, i), std::string(1, static_cast<char>('d' - i)));
  EXPECT_EQ(items[4], Variant("not sort data"));

  Variant one(VariantArray{0, {Variant("lonely")}});
  EXPECT_EQ(test::errorNumber([&] { u.QuickSort(one); }), vberr::TypeMismatch);
  EXPECT_EQ(one.get<VariantArray>()->items[0], Variant("lonely"));
}

TEST(QuickSortTest, EmptyAndSingleArraysAreLeftAlone) {
  QXUtilities u;
  Variant empty(VariantArray{0, {}});
  u.QuickSort(empty);
  EXPECT_TRUE(empty.get<VariantArray>()->items.empty());
  Variant one = arrayOfKeys({"x"});
  u.QuickSort(one);
  EXPECT_EQ(keyAt(one, 0), "x");
}

}  // namespace
}  // namespace qxvb
