// The branch the registry benchmarks work on: keys below one parent key,
// each holding kValuesPerKey string values, written into a store of its
// own for each run.
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

// Writes the branch of keys keys below parent value by value, each call
// committing on its own, or all of it in one transaction.
void writeBranch(registry::RootKey root, std::string_view parent, int keys = kKeys);
void writeBranchInOneTransaction(registry::RootKey root, std::string_view parent, int keys = kKeys);

// Reads every value of the branch once by key path and value name.
void readBranch(registry::RootKey root, std::string_view parent, int keys = kKeys);

}  // namespace qxvb::bench
