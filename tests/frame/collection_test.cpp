#include <gtest/gtest.h>

#include "support/errors.h"

#include <memory>

#include "frame/automation_error.h"
#include "frame/collection.h"

namespace qxvb {
namespace {

using test::errorNumber;

TEST(Collection, ItemsAreNumberedFromOneAndKeysIgnoreCase) {
  Collection c;
  c.Add(Variant("a"), std::string("First"));
  c.Add(Variant("b"));
  c.Add(Variant("c"), std::string("Straße"));
  EXPECT_EQ(c.Count(), 3);
  EXPECT_EQ(c.Item(Variant(int32_t{1})), Variant("a"));
  EXPECT_EQ(c.Item(Variant("FIRST")), Variant("a"));
  EXPECT_EQ(c.Item(Variant("STRASSE")), Variant("c"));  // full case folding
  EXPECT_EQ(c.Item(Variant(2.0)), Variant("b"));
}

TEST(Collection, ErrorsForDuplicatesMissingKeysAndRange) {
  Collection c;
  c.Add(Variant(int32_t{1}), std::string("k"));
  EXPECT_EQ(errorNumber([&] { c.Add(Variant(int32_t{2}), std::string("K")); }), 457);
  EXPECT_EQ(c.Count(), 1);
  EXPECT_EQ(errorNumber([&] { c.Item(Variant("nope")); }), 5);
  EXPECT_EQ(errorNumber([&] { c.Item(Variant(int32_t{2})); }), 9);
  EXPECT_EQ(errorNumber([&] { c.Item(Variant(int32_t{0})); }), 9);
}

TEST(Collection, BeforeAfterAndRemoveKeepKeysRight) {
  Collection c;
  c.Add(Variant("x"), std::string("x"));
  c.Add(Variant("z"), std::string("z"));
  c.Add(Variant("y"), std::string("y"), Variant("z"));
  c.Add(Variant("w"), std::nullopt, Variant::missing(), Variant(int32_t{3}));
  ASSERT_EQ(c.Count(), 4);
  EXPECT_EQ(c.Item(Variant(int32_t{2})), Variant("y"));
  EXPECT_EQ(c.Item(Variant(int32_t{4})), Variant("w"));
  c.Remove(Variant("x"));
  EXPECT_EQ(c.Item(Variant("y")), Variant("y"));
  EXPECT_EQ(c.Item(Variant("z")), Variant("z"));
  EXPECT_FALSE(c.hasKey("x"));
  c.Add(Variant("again"), std::string("X"));
  EXPECT_EQ(c.Item(Variant("x")), Variant("again"));
}

TEST(Collection, LateBoundMembers) {
  auto c = std::make_shared<Collection>();
  c->call("Add", {Variant(int32_t{5}), Variant("five")});
  EXPECT_EQ(c->call("count"), Variant(int32_t{1}));
  EXPECT_EQ(c->call("ITEM", {Variant("Five")}), Variant(int32_t{5}));
}

}  // namespace
}  // namespace qxvb
