// The cost of reaching a trivial member late-bound, by name, against the
// direct C++ call of the same member.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "frame/catalogue.h"
#include "frame/collection.h"
#include "frame/variant.h"
#include "text/qxutilities.h"

namespace {

using qxvb::Variant;

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

void LateBoundCall(benchmark::State& state) {
  qxvb::Object u = qxvb::createObject("QXVBUtils.QXUtilities");
  for (auto _ : state) {
    std::vector<Variant> args{Variant(int32_t{5}), Variant("a"), Variant("b")};
    Variant r = u->invoke("qxsaveerrinfo", qxvb::kMethod | qxvb::kPropertyGet, args);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(LateBoundCall);

// The most trivial member: a collection's Count.
void DirectCount(benchmark::State& state) {
  auto c = std::make_shared<qxvb::Collection>();
  c->Add(Variant(int32_t{1}));
  for (auto _ : state) benchmark::DoNotOptimize(c->Count());
}
BENCHMARK(DirectCount);

void LateBoundCount(benchmark::State& state) {
  qxvb::Object c = std::make_shared<qxvb::Collection>();
  std::vector<Variant> none;
  for (auto _ : state) {
    Variant r = c->invoke("count", qxvb::kMethod | qxvb::kPropertyGet, none);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(LateBoundCount);

}  // namespace

BENCHMARK_MAIN();
