#include <gtest/gtest.h>

#include "support/errors.h"

#include <memory>
#include <string>
#include <vector>

#include "frame/automation_error.h"
#include "frame/dispatch.h"

namespace qxvb {
namespace {

enum class Colour : int32_t { Red = 1, Blue = 2 };

// Members bound as member functions, one of each kind of parameter.
class Bound : public Dispatch {
 public:
  std::string joined;
  int calls = 0;

  std::string Join(const std::string& a, int32_t b, int16_t c, double d, bool e) {
    ++calls;
    return a + "|" + std::to_string(b) + "|" + std::to_string(c) + "|" + std::to_string(d) + "|" +
           (e ? "T" : "F");
  }
  bool Next(const std::string& text, int32_t& position, std::string& word) {
    if (position >= static_cast<int32_t>(text.size())) return false;
    word = text.substr(static_cast<size_t>(position), 1);
    ++position;
    return true;
  }
  void Fill(Variant& target) { target = Variant("filled"); }
  Colour Flip(Colour c) { return c == Colour::Red ? Colour::Blue : Colour::Red; }
  int32_t Size(const ByteArray& bytes) const { return static_cast<int32_t>(bytes.data.size()); }
  void FailAfterWriting(int32_t& out) {
    out = 99;
    raiseVbError(vberr::InvalidProcedureCall);
  }
  int32_t Length() const { return static_cast<int32_t>(joined.size()); }
  void SetJoined(const std::string& text) { joined = text; }
  Object Self() { return shared_from_this(); }

  const DispatchTable& dispatchTable() const override {
    static const DispatchTable table = [] {
      DispatchTable t("Bound");
      Members<Bound>(t)
          .method<&Bound::Join>(
              "Join", {in("a"), in("b"), in("c"), opt("d", Variant(0.5)), opt("e", Variant(true))})
          .method<&Bound::Next>("Next", {in("text"), ref("position"), ref("word")})
          .method<&Bound::Fill>("Fill", {ref("target")})
          .method<&Bound::Flip>("Flip", {in("c")})
          .method<&Bound::Size>("Size", {in("bytes")})
          .method<&Bound::FailAfterWriting>("FailAfterWriting", {ref("out")})
          .get<&Bound::Length>("Length", {})
          .put<&Bound::SetJoined>("Joined", {in("Value")})
          .get<&Bound::Self>("Self", {});
      return t;
    }();
    return table;
  }
};

using test::errorNumber;

TEST(MemberBinding, ArgumentsAreConvertedAsTheParameterTypesSayAndDefaultsApply) {
  auto b = std::make_shared<Bound>();
  EXPECT_EQ(b->call("Join", {Variant(int32_t{7}), Variant("12"), Variant(2.5), Variant("1.25")}),
            Variant("7|12|2|1.250000|T"));
  EXPECT_EQ(b->call("join", {Variant(true), Variant(int16_t{3}), Variant(int32_t{4}),
                             Variant::missing(), Variant(int32_t{0})}),
            Variant("True|3|4|0.500000|F"));
}

TEST(MemberBinding, ConversionErrorsComeFromTheFirstBadArgumentBeforeTheCall) {
  auto b = std::make_shared<Bound>();
  // 13 for the text, although the integer after it would overflow (6).
  EXPECT_EQ(errorNumber([&] {
              b->call("Join", {Variant("a"), Variant("x"), Variant(int32_t{100000})});
            }),
            vberr::TypeMismatch);
  EXPECT_EQ(errorNumber([&] {
              b->call("Join", {Variant("a"), Variant(int32_t{1}), Variant(int32_t{100000})});
            }),
            vberr::Overflow);
  EXPECT_EQ(errorNumber([&] {
              b->call("Join", {Variant::null(), Variant(int32_t{1}), Variant(int32_t{1})});
            }),
            vberr::InvalidUseOfNull);
  EXPECT_EQ(b->calls, 0);
  EXPECT_EQ(errorNumber([&] { b->call("Join", {Variant("a")}); }), vberr::ArgumentNotOptional);
  EXPECT_EQ(errorNumber([&] { b->call("Length", {Variant(1)}); }), vberr::WrongArgumentCount);
  EXPECT_EQ(errorNumber([&] { b->call("Size", {Variant("text")}); }), vberr::TypeMismatch);
}

TEST(MemberBinding, ByReferenceOutputsAreWrittenBackConvertedAfterTheCall) {
  auto b = std::make_shared<Bound>();
  std::vector<Variant> args{Variant("ab"), Variant("1"), Variant(int32_t{5})};
  EXPECT_EQ(b->invoke("Next", kMethod, args), Variant(true));
  EXPECT_EQ(args[1], Variant(int32_t{2}));
  EXPECT_EQ(args[2], Variant("b"));

  std::vector<Variant> target{Variant(int32_t{1})};
  b->invoke("Fill", kMethod, target);
  EXPECT_EQ(target[0], Variant("filled"));

  // A member that fails leaves the caller's variable as it was.
  std::vector<Variant> out{Variant(int32_t{1})};
  EXPECT_EQ(errorNumber([&] { b->invoke("FailAfterWriting", kMethod, out); }),
            vberr::InvalidProcedureCall);
  EXPECT_EQ(out[0], Variant(int32_t{1}));
}

TEST(MemberBinding, ResultsBecomeVariants) {
  auto b = std::make_shared<Bound>();
  EXPECT_EQ(b->call("Flip", {Variant(int32_t{1})}), Variant(int32_t{2}));
  ByteArray bytes;
  bytes.data = {1, 2, 3};
  EXPECT_EQ(b->call("Size", {Variant(bytes)}).type(), VarType::Long);
  b->putProperty("Joined", Variant(int32_t{42}));
  EXPECT_EQ(b->getProperty("Length"), Variant(int32_t{2}));
  EXPECT_EQ(CObj(b->getProperty("Self")), Object(b));
}

}  // namespace
}  // namespace qxvb
