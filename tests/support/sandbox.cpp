#include "support/sandbox.h"

#include <stdlib.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qxvb::test {

namespace {

std::filesystem::path makeRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qxvb-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create sandbox");
  const std::filesystem::path root(pattern);
  for (const char* sub : {"config", "data", "cache", "home", "machine", "tmp"}) {
    std::filesystem::create_directories(root / sub);
  }
  setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
  setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
  setenv("HOME", (root / "home").c_str(), 1);
  setenv("QXVB_MACHINE_DIR", (root / "machine").c_str(), 1);
  setenv("TMPDIR", (root / "tmp").c_str(), 1);
  return root;
}

}  // namespace

const std::filesystem::path& sandboxRoot() {
  static const std::filesystem::path root = makeRoot();
  return root;
}

std::filesystem::path freshFolder(const std::string& hint) {
  static std::atomic<int> counter{0};
  auto dir = sandboxRoot() / "work" / (hint + "-" + std::to_string(counter++));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace qxvb::test
