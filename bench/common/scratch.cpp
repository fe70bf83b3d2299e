#include "common/scratch.h"

#include <linux/magic.h>
#include <stdlib.h>
#include <sys/vfs.h>

#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

namespace qxvb::bench {

namespace fs = std::filesystem;

namespace {

const char* const kTmpfs = "/dev/shm";

std::vector<fs::path>& made() {
  static std::vector<fs::path> folders;
  return folders;
}

}  // namespace

bool outputOnTmpfs() {
  static const bool tmpfs = [] {
    struct statfs info {};
    return ::statfs(kTmpfs, &info) == 0 && info.f_type == TMPFS_MAGIC;
  }();
  return tmpfs;
}

fs::path freshOutputFolder(const fs::path& fallback, bool tmpfs) {
  std::string pattern =
      ((tmpfs && outputOnTmpfs() ? fs::path(kTmpfs) : fallback) / "qxvb-bench-out-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::fprintf(stderr, "cannot create an output folder\n");
    std::exit(1);
  }
  // The previous round's folder goes first, so a run holds one at a time.
  removeOutputFolders();
  made().emplace_back(pattern);
  return made().back();
}

void removeOutputFolders() {
  std::error_code ignored;
  for (const auto& folder : made()) fs::remove_all(folder, ignored);
  made().clear();
}

}  // namespace qxvb::bench
