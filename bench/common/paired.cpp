#include "common/paired.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace qxvb::bench {

namespace {

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double timed(const Side& side) {
  if (side.prepare) side.prepare();
  return secondsOf(side.run);
}

}  // namespace

double secondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void measurePairedPerItem(benchmark::State& state, const Side& library, const Side& anchor,
                          double items) {
  std::vector<double> own;
  std::vector<double> theirs;
  std::vector<double> ratios;
  bool anchorFirst = false;
  for (auto _ : state) {
    double a = 0;
    double l = 0;
    if (anchorFirst) {
      a = timed(anchor);
      l = timed(library);
    } else {
      l = timed(library);
      a = timed(anchor);
    }
    anchorFirst = !anchorFirst;
    state.SetIterationTime(l);
    own.push_back(l);
    theirs.push_back(a);
    ratios.push_back(a > 0 ? l / a : 0);
  }
  state.counters["lib_ms"] = median(own) * 1e3;
  state.counters["anchor_ms"] = median(theirs) * 1e3;
  state.counters["ratio"] = median(ratios);
  if (items > 0) {
    state.counters["lib_us_per"] = median(own) * 1e6 / items;
    state.counters["anchor_us_per"] = median(theirs) * 1e6 / items;
  }
}

void measurePaired(benchmark::State& state, const Side& library, const Side& anchor) {
  measurePairedPerItem(state, library, anchor, 0);
}

}  // namespace qxvb::bench
