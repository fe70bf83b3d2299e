// A really small file system for full-disk tests: a tmpfs of a few hundred
// kilobytes mounted on a fresh folder of the sandbox and unmounted again
// when the object goes. Mounting needs root (as the tests run in CI); where
// the test program is not allowed to mount, available() is false.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace qxvb::test {

class SmallFileSystem {
 public:
  explicit SmallFileSystem(std::size_t kilobytes, const std::string& hint = "small-fs");
  ~SmallFileSystem();
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  bool available() const { return mounted_; }
  const std::filesystem::path& root() const { return root_; }
  // Fills the file system up to the last few bytes with a file of its own.
  void fill(const std::string& name = "filler");

 private:
  std::filesystem::path root_;
  bool mounted_ = false;
};

// Skips the test where mounting is not allowed, but fails it in CI (which
// runs as root), so the full-disk tests never quietly stop running there.
#define QXVB_REQUIRE_SMALL_FS(fs)                                                     \
  do {                                                                                \
    if (!(fs).available()) {                                                          \
      if (std::getenv("CI") != nullptr) FAIL() << "cannot mount a small file system"; \
      GTEST_SKIP() << "mounting a small file system needs root";                      \
    }                                                                                 \
  } while (0)

}  // namespace qxvb::test
