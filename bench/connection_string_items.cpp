// The item operations of QX_ADO_Utilities on a connection string of 20
// items: reading, writing and removing the first, a middle and the last
// item. Remove works on a fresh copy each time; the copy alone is measured
// too, so its share can be taken off.
#include <benchmark/benchmark.h>

#include <string>

#include "database/qx_ado_utilities.h"

namespace {

constexpr int kItems = 20;

std::string itemName(int index) {
  return "Item Key " + std::to_string(index);
}

// Items of the length real connection strings have, the same for every run.
std::string twentyItems() {
  std::string s;
  for (int i = 0; i < kItems; ++i) {
    if (!s.empty()) s += ';';
    s += itemName(i) + "=value-" + std::to_string(i * 7919) + "-of-the-item";
  }
  return s;
}

void BM_ReadItem(benchmark::State& state) {
  qxvb::QX_ADO_Utilities utilities;
  const std::string text = twentyItems();
  const std::string item = itemName(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::string value = utilities.QX_ADO_ReadItemFromConnectionString(item, text);
    benchmark::DoNotOptimize(value.data());
  }
}

// Writes a value of the same length, so the string stays as it was.
void BM_WriteItem(benchmark::State& state) {
  qxvb::QX_ADO_Utilities utilities;
  std::string text = twentyItems();
  const std::string item = itemName(static_cast<int>(state.range(0)));
  const std::string value = "replaced-value-of-item";
  for (auto _ : state) {
    benchmark::DoNotOptimize(utilities.QX_ADO_WriteItemInConnectionString(item, value, text));
    benchmark::ClobberMemory();
  }
}

void BM_RemoveItem(benchmark::State& state) {
  qxvb::QX_ADO_Utilities utilities;
  const std::string text = twentyItems();
  const std::string item = itemName(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::string copy = text;
    benchmark::DoNotOptimize(utilities.QX_ADO_RemoveItemFromConnectionString(item, copy));
    benchmark::DoNotOptimize(copy.data());
  }
}

void BM_CopyOnly(benchmark::State& state) {
  const std::string text = twentyItems();
  for (auto _ : state) {
    std::string copy = text;
    benchmark::DoNotOptimize(copy.data());
  }
}

// An item that is not there: the whole string is searched.
void BM_ReadAbsentItem(benchmark::State& state) {
  qxvb::QX_ADO_Utilities utilities;
  const std::string text = twentyItems();
  for (auto _ : state) {
    std::string value = utilities.QX_ADO_ReadItemFromConnectionString("Absent", text);
    benchmark::DoNotOptimize(value.data());
  }
}

}  // namespace

BENCHMARK(BM_ReadItem)->Arg(0)->Arg(kItems / 2)->Arg(kItems - 1);
BENCHMARK(BM_WriteItem)->Arg(0)->Arg(kItems / 2)->Arg(kItems - 1);
BENCHMARK(BM_RemoveItem)->Arg(0)->Arg(kItems / 2)->Arg(kItems - 1);
BENCHMARK(BM_CopyOnly);
BENCHMARK(BM_ReadAbsentItem);

BENCHMARK_MAIN();
