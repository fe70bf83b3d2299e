// The cost of reaching a trivial member late-bound, by name, against the
// direct C++ call of the same member and against a call through a
// std::function (what any table of callable members costs at least),
// round by round in the same run.
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <vector>

#include "common/paired.h"
#include "frame/catalogue.h"
#include "frame/collection.h"
#include "frame/variant.h"
#include "frame/vb_conversions.h"
#include "text/qxutilities.h"

namespace {

using qxvb::Variant;
using qxvb::bench::Side;

constexpr int kCalls = 100000;

void DirectCall(benchmark::State& state) {
  auto u = std::static_pointer_cast<qxvb::QXUtilities>(qxvb::createObject("QXVBUtils.QXUtilities"));
  const std::string source = "a";
  const std::string description = "b";
  for (auto _ : state) {
    auto info = u->QXSaveErrInfo(5, source, description);
    benchmark::DoNotOptimize(info);
  }
}
BENCHMARK(DirectCall);

// QXSaveErrInfo by name, against the same member behind a std::function
// taking and answering Variants.
void LateBoundCall(benchmark::State& state) {
  qxvb::Object object = qxvb::createObject("QXVBUtils.QXUtilities");
  auto u = std::static_pointer_cast<qxvb::QXUtilities>(object);
  const std::function<Variant(std::vector<Variant>&)> direct = [&](std::vector<Variant>& args) {
    return Variant(u->QXSaveErrInfo(qxvb::CLng(args[0]), qxvb::CStr(args[1]), qxvb::CStr(args[2]),
                                    "", Variant(""))
                       .toRecord());
  };
  const Side library{nullptr, [&] {
                       for (int i = 0; i < kCalls; ++i) {
                         std::vector<Variant> args{Variant(int32_t{5}), Variant("a"), Variant("b")};
                         Variant r = object->invoke("qxsaveerrinfo",
                                                    qxvb::kMethod | qxvb::kPropertyGet, args);
                         benchmark::DoNotOptimize(r);
                       }
                     }};
  const Side anchor{nullptr, [&] {
                      for (int i = 0; i < kCalls; ++i) {
                        std::vector<Variant> args{Variant(int32_t{5}), Variant("a"), Variant("b")};
                        Variant r = direct(args);
                        benchmark::DoNotOptimize(r);
                      }
                    }};
  qxvb::bench::measurePairedPerItem(state, library, anchor, kCalls);
}
BENCHMARK(LateBoundCall)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(15);

// The most trivial member: a collection's Count.
void DirectCount(benchmark::State& state) {
  auto c = std::make_shared<qxvb::Collection>();
  c->Add(Variant(int32_t{1}));
  for (auto _ : state) benchmark::DoNotOptimize(c->Count());
}
BENCHMARK(DirectCount);

void LateBoundCount(benchmark::State& state) {
  auto collection = std::make_shared<qxvb::Collection>();
  collection->Add(Variant(int32_t{1}));
  qxvb::Object c = collection;
  const std::function<Variant(std::vector<Variant>&)> direct = [&](std::vector<Variant>&) {
    return Variant(collection->Count());
  };
  std::vector<Variant> none;
  const Side library{nullptr, [&] {
                       for (int i = 0; i < kCalls; ++i) {
                         Variant r = c->invoke("count", qxvb::kMethod | qxvb::kPropertyGet, none);
                         benchmark::DoNotOptimize(r);
                       }
                     }};
  const Side anchor{nullptr, [&] {
                      for (int i = 0; i < kCalls; ++i) {
                        Variant r = direct(none);
                        benchmark::DoNotOptimize(r);
                      }
                    }};
  qxvb::bench::measurePairedPerItem(state, library, anchor, kCalls);
}
BENCHMARK(LateBoundCount)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(15);

}  // namespace

BENCHMARK_MAIN();
