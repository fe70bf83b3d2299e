// Sessions on a database file, visible to every process on the machine.
//
// Each open connection holds a lock of its own (an open-file-description
// lock) on one byte far beyond any data SQLite writes or locks. The byte is
// chosen from a range owned by the connecting user, so a count of the locks
// gives the sessions and their ranges give the users. The kernel drops the
// locks of a process that ends, so a crashed session is never counted.
// A session kept open but idle (pooled) gives its byte back and takes one
// again when it is used: it is not counted while it waits.
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

  // Stops counting the session while keeping what the process must keep
  // open for it; renew() counts it again (false when no byte is free).
  void release();
  bool renew();
  bool counted() const { return offset_ >= 0; }
  // The file the mark is on.
  uint64_t device() const { return device_; }
  uint64_t inode() const { return inode_; }

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
