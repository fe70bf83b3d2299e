// The branch the registry benchmarks work on: kKeys keys below one parent
// key, each holding kValuesPerKey string values, written into a store of
// its own for each run.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/registry/registry_store.h"

namespace qxvb::bench {

inline constexpr int kKeys = 10000;
inline constexpr int kValuesPerKey = 10;

std::string keyPath(std::string_view parent, int key);
std::string valueName(int value);
registry::Bytes valueData(int key, int value);

// Points the user's registry at a new, empty store in a new sub-folder of
// folder; the thread's open connections to the previous one are closed.
void useFreshStore(const std::filesystem::path& folder);

// Writes the branch below parent value by value, each call committing on
// its own, or all of it in one transaction.
void writeBranch(registry::RootKey root, std::string_view parent);
void writeBranchInOneTransaction(registry::RootKey root, std::string_view parent);

}  // namespace qxvb::bench
