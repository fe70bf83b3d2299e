#include "common/sandbox.h"

#include <stdlib.h>

#include <cstdio>
#include <string>
#include <system_error>

namespace qxvb::bench {

namespace fs = std::filesystem;

fs::path makeSandbox() {
  std::string pattern = (fs::temp_directory_path() / "qxvb-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::fprintf(stderr, "cannot create a temporary folder\n");
    std::exit(1);
  }
  const fs::path folder(pattern);
  const struct {
    const char* variable;
    const char* sub;
  } state[] = {{"XDG_CONFIG_HOME", "config"},
               {"XDG_DATA_HOME", "data"},
               {"XDG_CACHE_HOME", "cache"},
               {"HOME", "home"},
               {"QXVB_MACHINE_DIR", "machine"}};
  for (const auto& [variable, sub] : state) {
    fs::create_directories(folder / sub);
    setenv(variable, (folder / sub).c_str(), 1);
  }
  return folder;
}

void removeSandbox(const fs::path& folder) {
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

}  // namespace qxvb::bench
