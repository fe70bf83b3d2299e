#include "ado/session_marks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

namespace qxvb::ado {

namespace {

// SQLite locks bytes near the 1 GiB mark only; the marks start at 1 TiB.
constexpr int64_t kMarkBase = int64_t{1} << 40;
constexpr int64_t kUserSpan = int64_t{1} << 20;
constexpr int64_t kSlotsPerUser = 4096;

using FileKey = std::pair<uint64_t, uint64_t>;

// Closing any descriptor of a file drops every POSIX lock this process
// holds on it, SQLite's included. Descriptors used for marks are therefore
// kept open until no session on the file, counted or idle, is left in the
// process.
struct OpenFile {
  int marked = 0;  // sessions holding a mark, counted or released
  std::vector<int> idle;
};

std::mutex poolMutex;
std::map<FileKey, OpenFile>& pool() {
  static auto* files = new std::map<FileKey, OpenFile>;
  return *files;
}

FileKey keyOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

// A descriptor on the file without a lock of its own, and the file's key.
std::pair<int, FileKey> borrow(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {-1, {}};
  FileKey key = keyOf(st);
  {
    std::lock_guard<std::mutex> lock(poolMutex);
    auto found = pool().find(key);
    if (found != pool().end() && !found->second.idle.empty()) {
      const int fd = found->second.idle.back();
      found->second.idle.pop_back();
      return {fd, key};
    }
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {-1, {}};
  if (::fstat(fd, &st) == 0) key = keyOf(st);
  return {fd, key};
}

// Gives a descriptor back; once no marked session is left, all close.
void giveBack(int fd, const FileKey& key, int markedChange) {
  std::vector<int> closing;
  {
    std::lock_guard<std::mutex> lock(poolMutex);
    OpenFile& file = pool()[key];
    file.marked += markedChange;
    file.idle.push_back(fd);
    if (file.marked <= 0) {
      closing = std::move(file.idle);
      pool().erase(key);
    }
  }
  for (const int idle : closing) ::close(idle);
}

struct flock lockRange(short type, int64_t start, int64_t length) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = start;
  range.l_len = length;
  return range;
}

// The first lock of another open file description found in the range.
bool findLock(int fd, int64_t start, int64_t length, struct flock& found) {
  found = lockRange(F_WRLCK, start, length);
  if (::fcntl(fd, F_OFD_GETLK, &found) != 0) return false;
  return found.l_type != F_UNLCK;
}

bool setLock(int fd, short type, int64_t offset) {
  struct flock range = lockRange(type, offset, 1);
  return ::fcntl(fd, F_OFD_SETLK, &range) == 0;
}

// Claims a byte of the user's range that no other session holds. Two
// sessions racing for one byte both see the other and move on.
int64_t claimSlot(int fd) {
  const int64_t first = kMarkBase + static_cast<int64_t>(::geteuid()) * kUserSpan;
  for (int64_t offset = first; offset < first + kSlotsPerUser; ++offset) {
    struct flock holder {};
    if (findLock(fd, offset, 1, holder)) continue;
    if (!setLock(fd, F_RDLCK, offset)) return -1;
    if (!findLock(fd, offset, 1, holder)) return offset;
    setLock(fd, F_UNLCK, offset);
  }
  return -1;
}

}  // namespace

std::unique_ptr<SessionMark> SessionMark::take(const std::string& path) {
  const auto [fd, key] = borrow(path);
  if (fd < 0) return nullptr;
  const int64_t offset = claimSlot(fd);
  if (offset < 0) {
    giveBack(fd, key, 0);
    return nullptr;
  }
  {
    std::lock_guard<std::mutex> lock(poolMutex);
    ++pool()[key].marked;
  }
  return std::unique_ptr<SessionMark>(new SessionMark(key.first, key.second, fd, offset));
}

SessionMark::~SessionMark() {
  release();
  giveBack(fd_, {device_, inode_}, -1);
}

void SessionMark::release() {
  if (offset_ < 0) return;
  setLock(fd_, F_UNLCK, offset_);
  offset_ = -1;
}

bool SessionMark::renew() {
  if (offset_ < 0) offset_ = claimSlot(fd_);
  return offset_ >= 0;
}

SessionCount countSessions(const std::string& path) {
  const auto [fd, key] = borrow(path);
  if (fd < 0) return {};
  int32_t sessions = 0;
  std::set<int64_t> users;
  // Each lock found splits the rest of the range in two still to search.
  std::vector<std::pair<int64_t, int64_t>> ranges{{kMarkBase, kMarkBase + (kUserSpan << 32)}};
  while (!ranges.empty()) {
    const auto [start, end] = ranges.back();
    ranges.pop_back();
    struct flock found {};
    if (start >= end || !findLock(fd, start, end - start, found)) continue;
    const int64_t first = std::max(found.l_start, start);
    const int64_t after = found.l_len == 0 ? end : std::min(found.l_start + found.l_len, end);
    if (after <= first) continue;
    ++sessions;
    users.insert((first - kMarkBase) / kUserSpan);
    ranges.emplace_back(start, first);
    ranges.emplace_back(after, end);
  }
  giveBack(fd, key, 0);
  return {sessions, static_cast<int32_t>(users.size())};
}

}  // namespace qxvb::ado
