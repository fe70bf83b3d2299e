// The library's side of a benchmark and its anchor measured in the same
// run, round by round: each round times both (in alternating order, so a
// machine that grows busier or quieter favours neither), and the figures
// reported are medians of the rounds, which a loaded, shared machine
// disturbs far less than means.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>

namespace qxvb::bench {

struct Side {
  std::function<void()> prepare;  // untimed, before each timed run (may be empty)
  std::function<void()> run;      // the timed work
};

// Times library and anchor once per iteration of state (register the
// benchmark with UseManualTime() and a fixed Iterations(n)). The
// benchmark's own time is the library's; the counters are lib_ms and
// anchor_ms (medians) and ratio (the median of the rounds' library time
// divided by anchor time).
void measurePaired(benchmark::State& state, const Side& library, const Side& anchor);

// The same with a per-item figure: lib_us_per and anchor_us_per are the
// medians divided by items (files, calls, values) of one round.
void measurePairedPerItem(benchmark::State& state, const Side& library, const Side& anchor,
                          double items);

// Seconds that work takes, on the monotonic clock.
double secondsOf(const std::function<void()>& work);

}  // namespace qxvb::bench
