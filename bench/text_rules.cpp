// Text and value rules of QXUtilities: QuickSort of clsSortData keys against
// std::sort with the same comparator, and the cost of one call of the
// quoting and version rules.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "frame/catalogue.h"
#include "text/cls_sort_data.h"
#include "text/qxutilities.h"
#include "text/sorting.h"

namespace {

using qxvb::Variant;

std::vector<std::string> randomKeys(size_t n) {
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::vector<std::string> keys(n);
  for (auto& k : keys) {
    k.resize(8);
    for (auto& c : k) c = static_cast<char>(letter(rng));
  }
  return keys;
}

// The array QuickSort takes: clsSortData objects in a Variant array.
Variant sortArray(const std::vector<std::string>& keys) {
  qxvb::VariantArray array;
  array.items.reserve(keys.size());
  for (const auto& k : keys) {
    auto item = std::make_shared<qxvb::clsSortData>();
    item->Key = Variant(k);
    array.items.emplace_back(qxvb::Object(item));
  }
  return Variant(std::move(array));
}

void QuickSortSortData(benchmark::State& state) {
  const auto keys = randomKeys(static_cast<size_t>(state.range(0)));
  auto u = std::static_pointer_cast<qxvb::QXUtilities>(qxvb::createObject("QXVBUtils.QXUtilities"));
  for (auto _ : state) {
    state.PauseTiming();
    Variant array = sortArray(keys);
    state.ResumeTiming();
    u->QuickSort(array);
    benchmark::DoNotOptimize(array);
  }
}
BENCHMARK(QuickSortSortData)->Arg(1000000)->Unit(benchmark::kMillisecond);

// std::sort of the same objects with the same key comparison.
void StdSortSortData(benchmark::State& state) {
  const auto keys = randomKeys(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    Variant array = sortArray(keys);
    auto& items = array.get<qxvb::VariantArray>()->items;
    state.ResumeTiming();
    std::sort(items.begin(), items.end(), [](const Variant& a, const Variant& b) {
      const auto& x = static_cast<const qxvb::clsSortData&>(**a.get<qxvb::Object>());
      const auto& y = static_cast<const qxvb::clsSortData&>(**b.get<qxvb::Object>());
      return qxvb::compareSortKeys(x.Key, y.Key) < 0;
    });
    benchmark::DoNotOptimize(array);
  }
}
BENCHMARK(StdSortSortData)->Arg(1000000)->Unit(benchmark::kMillisecond);

void QuoteIfNeeded(benchmark::State& state) {
  auto u = std::static_pointer_cast<qxvb::QXUtilities>(qxvb::createObject("QXVBUtils.QXUtilities"));
  const std::string names[] = {"Customer", "Order Line", "1stItem", "a*b", "\"quoted\""};
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(u->QXQuoteIfNeeded(names[i++ % 5]));
  }
}
BENCHMARK(QuoteIfNeeded);

void CompareVersionStrings(benchmark::State& state) {
  auto u = std::static_pointer_cast<qxvb::QXUtilities>(qxvb::createObject("QXVBUtils.QXUtilities"));
  for (auto _ : state) {
    benchmark::DoNotOptimize(u->QXCompareVersionStrings("7.3.12.4410", "7.3.9.5120", "."));
  }
}
BENCHMARK(CompareVersionStrings);

}  // namespace

BENCHMARK_MAIN();
