// The text members reached by name, as automation callers reach them:
// defaults of optional parameters, by-reference outputs and in-place
// sorting of a by-reference array.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/dispatch.h"

namespace qxvb {
namespace {

class LateBoundTest : public ::testing::Test {
 protected:
  Variant call(const std::string& member, std::vector<Variant>& args) {
    return utilities_->invoke(member, kMethod, args);
  }
  Object utilities_ = createObject("QXVBUtils.QXUtilities");
};

TEST_F(LateBoundTest, OptionalDefaults) {
  std::vector<Variant> quote{Variant("")};
  EXPECT_EQ(call("QXQuoteIfNeeded", quote), Variant(""));
  std::vector<Variant> quoteBlank{Variant(""), Variant(true)};
  EXPECT_EQ(call("qxquoteifneeded", quoteBlank), Variant("\"\""));
  std::vector<Variant> versions{Variant("1.2"), Variant("1.10")};
  EXPECT_EQ(call("QXCompareVersionStrings", versions), Variant(int32_t{2}));
  std::vector<Variant> commas{Variant("1,3"), Variant("1,2"), Variant(",")};
  EXPECT_EQ(call("QXCompareVersionStrings", commas), Variant(int32_t{1}));
}

TEST_F(LateBoundTest, NextPropertyWritesItsOutputs) {
  const std::string memo = "[[[A]]]\r\n1\r\n[[[B]]]2";
  std::vector<Variant> args{Variant(memo), Variant(int32_t{1}), Variant(), Variant()};
  EXPECT_EQ(call("QXUtil_GetNextProperty", args), Variant(true));
  EXPECT_EQ(args[1], Variant(int32_t{13}));
  EXPECT_EQ(args[2], Variant("A"));
  EXPECT_EQ(args[3], Variant("1"));
  EXPECT_EQ(call("QXUtil_GetNextProperty", args), Variant(false));
  EXPECT_EQ(args[1], Variant(int32_t{0}));
  EXPECT_EQ(args[2], Variant("B"));
  EXPECT_EQ(args[3], Variant("2"));
}

TEST_F(LateBoundTest, Base64RoundTripKeepsTheLowerBoundRule) {
  std::vector<Variant> encode{Variant(ByteArray{1, {'a', 'b', 'c'}})};
  EXPECT_EQ(call("QX_Util_EncodeBase64", encode), Variant("YWJj"));
  std::vector<Variant> decode{Variant("YWJj")};
  EXPECT_EQ(call("QX_Util_DecodeBase64", decode), Variant(ByteArray{0, {'a', 'b', 'c'}}));
  std::vector<Variant> notBytes{Variant("abc")};
  try {
    call("QX_Util_EncodeBase64", notBytes);
    ADD_FAILURE();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), vberr::TypeMismatch);
  }
}

Object sortItem(const std::string& key) {
  Object item = createObject("QXVBUtils.clsSortData");
  item->putProperty("Key", Variant(key));
  item->putProperty("Data", Variant(key + "!"));
  return item;
}

TEST_F(LateBoundTest, QuickSortSortsTheCallersArray) {
  VariantArray items{0, {}};
  for (const char* key : {"b", "A", "c"}) items.items.emplace_back(sortItem(key));
  std::vector<Variant> args{Variant(std::move(items))};
  EXPECT_TRUE(call("QuickSort", args).isEmpty());
  const auto& sorted = args[0].get<VariantArray>()->items;
  std::vector<std::string> keys;
  for (const auto& item : sorted) {
    keys.push_back(std::get<std::string>((*item.get<Object>())->getProperty("Key").storage()));
    EXPECT_EQ((*item.get<Object>())->getProperty("Data"), Variant(keys.back() + "!"));
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"A", "b", "c"}));
}

TEST_F(LateBoundTest, SortDataHoldsValuesAndObjects) {
  Object item = createObject("QXVBUtils.clsSortData");
  EXPECT_TRUE(item->getProperty("Key").isEmpty());
  item->putProperty("Data", Variant(utilities_));
  EXPECT_EQ(item->getProperty("Data"), Variant(utilities_));
  item->putProperty("Key", Variant(3.5));
  EXPECT_EQ(item->getProperty("key"), Variant(3.5));
}

TEST_F(LateBoundTest, FixAuditIdErrorReachesTheCaller) {
  std::vector<Variant> args{Variant("")};
  try {
    call("QX_Util_FixAuditID", args);
    ADD_FAILURE();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 45489);
    EXPECT_EQ(e.source(), "QX_Util_FixAuditID");
  }
}

TEST_F(LateBoundTest, NullToMaxAndCheckForNull) {
  std::vector<Variant> max{Variant::null(), Variant(int32_t{4})};
  EXPECT_EQ(call("QXMax", max), Variant(int32_t{4}));
  std::vector<Variant> null{Variant::null()};
  EXPECT_EQ(call("QXUtil_CheckForNull", null), Variant(""));
}

}  // namespace
}  // namespace qxvb
