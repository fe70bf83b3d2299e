#include "common/registry_branch.h"

#include <benchmark/benchmark.h>
#include <stdlib.h>

namespace qxvb::bench {

std::string keyPath(std::string_view parent, int key) {
  return std::string(parent) + "\\Key" + std::to_string(key);
}

std::string valueName(int value) {
  return "Value" + std::to_string(value);
}

registry::Bytes valueData(int key, int value) {
  return registry::makeString("data " + std::to_string(key * 100 + value));
}

void useFreshStore(const std::filesystem::path& folder) {
  static int stores = 0;
  registry::closeThreadConnections();
  const auto store = folder / ("store-" + std::to_string(stores++));
  std::filesystem::create_directories(store);
  setenv("XDG_CONFIG_HOME", store.c_str(), 1);
}

void writeBranch(registry::RootKey root, std::string_view parent, int keys) {
  for (int key = 0; key < keys; ++key) {
    const std::string path = keyPath(parent, key);
    for (int value = 0; value < kValuesPerKey; ++value) {
      registry::setValue(root, path, valueName(value), registry::kRegSz, valueData(key, value));
    }
  }
}

void writeBranchInOneTransaction(registry::RootKey root, std::string_view parent, int keys) {
  registry::runInTransaction(root, [root, parent, keys] {
    writeBranch(root, parent, keys);
    return registry::kSuccess;
  });
}

void readBranch(registry::RootKey root, std::string_view parent, int keys) {
  std::uint32_t type = 0;
  registry::Bytes data;
  for (int key = 0; key < keys; ++key) {
    const std::string path = keyPath(parent, key);
    for (int value = 0; value < kValuesPerKey; ++value) {
      registry::queryValue(root, path, valueName(value), type, data);
      benchmark::DoNotOptimize(data.data());
    }
  }
}

}  // namespace qxvb::bench
