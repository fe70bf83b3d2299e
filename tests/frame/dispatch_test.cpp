#include <gtest/gtest.h>

#include "support/errors.h"

#include <memory>

#include "frame/automation_error.h"
#include "frame/dispatch.h"
#include "frame/events.h"

namespace qxvb {
namespace {

// A small class exercising every kind of member the frame supports.
class Sample : public Dispatch {
 public:
  int32_t value = 0;
  std::string lastText;
  const DispatchTable& dispatchTable() const override {
    static const DispatchTable table = [] {
      DispatchTable t("Sample");
      Members<Sample>(t)
          .method("Add", {in("a"), opt("b", Variant(int32_t{10}))},
                  [](Sample&, CallArgs& a) { return Variant(a.lng(0) + a.lng(1)); })
          .method("Swap", {ref("x"), ref("y")},
                  [](Sample&, CallArgs& a) {
                    Variant t = a[0];
                    a.set(0, a[1]);
                    a.set(1, t);
                    return Variant();
                  })
          .method("IsGiven", {opt("v")},
                  [](Sample&, CallArgs& a) { return Variant(!a.missing(0)); })
          .get("Value", {}, [](Sample& s, CallArgs&) { return Variant(s.value); })
          .put("Value", {in("v")},
               [](Sample& s, CallArgs& a) {
                 s.value = a.lng(0);
                 return Variant();
               })
          .method("Fail", {},
                  [](Sample&, CallArgs&) -> Variant { throw std::runtime_error("boom"); });
      return t;
    }();
    return table;
  }
};

using test::errorNumber;

TEST(Dispatch, NamesIgnoreCaseAndDefaultsApply) {
  auto s = std::make_shared<Sample>();
  EXPECT_EQ(s->call("add", {Variant(int32_t{1})}), Variant(int32_t{11}));
  EXPECT_EQ(s->call("ADD", {Variant(int32_t{1}), Variant(int32_t{2})}), Variant(int32_t{3}));
  EXPECT_EQ(s->call("Add", {Variant(int32_t{1}), Variant::missing()}), Variant(int32_t{11}));
  EXPECT_EQ(s->call("IsGiven"), Variant(false));
  EXPECT_EQ(s->call("IsGiven", {Variant()}), Variant(true));
}

TEST(Dispatch, ByReferenceOutputsReachTheCaller) {
  auto s = std::make_shared<Sample>();
  std::vector<Variant> args{Variant("a"), Variant(int32_t{2})};
  s->invoke("Swap", kMethod, args);
  EXPECT_EQ(args[0], Variant(int32_t{2}));
  EXPECT_EQ(args[1], Variant("a"));
}

TEST(Dispatch, DefaultsDoNotLeakIntoTheCallersList) {
  auto s = std::make_shared<Sample>();
  std::vector<Variant> args{Variant(int32_t{1})};
  s->invoke("Add", kMethod, args);
  EXPECT_EQ(args.size(), 1U);
  std::vector<Variant> withGap{Variant(int32_t{1}), Variant::missing()};
  s->invoke("Add", kMethod, withGap);
  EXPECT_TRUE(withGap[1].isMissing());
}

TEST(Dispatch, PropertiesGetAndPut) {
  auto s = std::make_shared<Sample>();
  s->putProperty("value", Variant("42"));
  EXPECT_EQ(s->getProperty("Value"), Variant(int32_t{42}));
}

TEST(Dispatch, ErrorsForUnknownMembersAndArgumentCounts) {
  auto s = std::make_shared<Sample>();
  EXPECT_EQ(errorNumber([&] { s->call("Nope"); }), 438);
  EXPECT_EQ(errorNumber([&] { s->call("Add"); }), 449);
  EXPECT_EQ(errorNumber([&] { s->call("Add", {Variant::missing()}); }), 449);
  EXPECT_EQ(errorNumber([&] { s->call("Add", {Variant(1), Variant(2), Variant(3)}); }), 450);
  EXPECT_EQ(errorNumber([&] { s->call("Add", {Variant("x")}); }), 13);
  // A put-only use of a method name is not a member.
  std::vector<Variant> v{Variant(1)};
  EXPECT_EQ(errorNumber([&] { s->invoke("Add", kPropertyPut, v); }), 438);
}

TEST(Dispatch, ForeignExceptionsBecomeAutomationErrors) {
  auto s = std::make_shared<Sample>();
  try {
    s->call("Fail");
    FAIL() << "no error raised";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.description(), "boom");
    EXPECT_NE(e.number(), 0);
  }
}

TEST(Events, SinksAreCalledInOrderAndCanChangeByRefArguments) {
  ConnectionPoint cp("{E32C8D2C-8DAD-4DAA-8C64-61DC1BCE8B94}");
  std::vector<std::string> seen;
  const uint32_t first = cp.advise(
      std::make_shared<FunctionSink>([&](std::string_view name, std::vector<Variant>& args) {
        seen.push_back("1:" + std::string(name));
        args[1] = Variant(false);
      }));
  cp.advise(std::make_shared<FunctionSink>([&](std::string_view name, std::vector<Variant>&) {
    seen.push_back("2:" + std::string(name));
  }));
  std::vector<Variant> args{Variant("/tmp"), Variant(true), Variant("")};
  cp.fire("ValidatePath", args);
  EXPECT_EQ(seen, (std::vector<std::string>{"1:ValidatePath", "2:ValidatePath"}));
  EXPECT_EQ(args[1], Variant(false));
  cp.unadvise(first);
  seen.clear();
  cp.fire("ValidatePath", args);
  EXPECT_EQ(seen, (std::vector<std::string>{"2:ValidatePath"}));
}

TEST(Events, DispatchSinkCallsTheMethodNamedAfterTheEvent) {
  auto target = std::make_shared<Sample>();
  ConnectionPoint cp("{F99DACB1-4EF3-4A8A-8E35-9BBA9D88B51D}");
  cp.advise(std::make_shared<DispatchSink>(target));
  std::vector<Variant> args{Variant("b"), Variant("a")};
  cp.fire("swap", args);
  EXPECT_EQ(args[0], Variant("a"));
}

}  // namespace
}  // namespace qxvb
