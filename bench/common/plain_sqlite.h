// What the registry benchmarks measure against: the rows of the branch in
// registry_branch.h kept by SQLite alone, in one table of key, value name,
// type and data, written and read with one prepared statement each.
#pragma once

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace qxvb::bench {

// Each iteration writes the rows below parent into a new database file in
// folder, in one transaction; opening and closing the file are not timed.
void measurePlainWrites(benchmark::State& state, const std::filesystem::path& folder,
                        const std::string& parent);

// Each iteration reads every row once by key and value name from a
// database file in folder written beforehand.
void measurePlainReads(benchmark::State& state, const std::filesystem::path& folder,
                       const std::string& parent);

}  // namespace qxvb::bench
