// Sessions on a database file, visible to every process on the machine.
//
// Each open connection holds a lock of its own (an open-file-description
// lock) on one byte far beyond any data SQLite writes or locks. The byte is
// chosen from a range owned by the connecting user, so a count of the locks
// gives the sessions and their ranges give the users. The kernel drops the
// locks of a process that ends, so a crashed session is never counted.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace qxvb::ado {

class SessionMark {
 public:
  // The mark of a new session on the file, or nullptr when the file cannot
  // be marked (it vanished, or the file system has no such locks).
  static std::unique_ptr<SessionMark> take(const std::string& path);
  ~SessionMark();
  SessionMark(const SessionMark&) = delete;
  SessionMark& operator=(const SessionMark&) = delete;

 private:
  SessionMark(uint64_t device, uint64_t inode, int fd, int64_t offset)
      : device_(device), inode_(inode), fd_(fd), offset_(offset) {}
  uint64_t device_;
  uint64_t inode_;
  int fd_;
  int64_t offset_;
};

struct SessionCount {
  int32_t sessions = 0;
  int32_t users = 0;
};

// The sessions marked on the file now; zero for a file that is not there.
SessionCount countSessions(const std::string& path);

}  // namespace qxvb::ado
