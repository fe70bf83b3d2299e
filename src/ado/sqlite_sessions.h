// Sessions of the embedded engine and the process's pool of idle ones.
//
// Opening a database file costs far more than a statement on it: the file
// and its write-ahead log are opened and locked, the schema is read, the
// session mark is taken. As the data-access layer's session pooling does,
// a connection closed by its caller leaves its session in a per-process
// pool, and the next connection of the process to the same file (with the
// same open flags) takes it instead of opening the file again.
//
// What pooling never changes:
// - An idle session is not a session of the repository: its mark is given
//   back while it waits (session_marks.h), so the exclusive-access checks
//   count only sessions in use.
// - A session whose own state a caller changed (an attached database,
//   temporary tables, triggers or views, a pragma that sets a connection
//   setting), or that still has a transaction or a statement open, is
//   closed rather than kept: the next caller gets a session as fresh as a
//   new one.
// - A session is only taken for the same file: when the name now names
//   another file (the file was removed and made again), the idle session
//   is closed.
// - After a fork, the child never uses or closes its parent's sessions.
// - The database file alone holds every committed change: a session folds
//   the log into the file and empties it when it goes back to the pool.
// Idle sessions are closed after a minute without use and when the process
// ends normally. A session whose file was removed under it leaves the
// write-ahead log and index of that name alone (a new file of that name
// may use them by now); it emptied the log when it went idle. A crashed process leaves
// what any open connection leaves (the write-ahead log and its index),
// which the next connection recovers.
#pragma once

#include <sqlite3.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "ado/session_marks.h"

namespace qxvb::ado {

struct SqliteSession {
  SqliteSession() = default;
  ~SqliteSession();
  SqliteSession(const SqliteSession&) = delete;
  SqliteSession& operator=(const SqliteSession&) = delete;

  sqlite3* db = nullptr;
  // Goes only after the handle has closed (see session_marks.h).
  std::unique_ptr<SessionMark> mark;
  std::string path;
  int flags = 0;
  uint64_t device = 0;
  uint64_t inode = 0;
  pid_t owner = 0;
  // Cleared when a statement changed the connection's own state.
  bool reusable = true;
  std::chrono::steady_clock::time_point idleSince;
};

// Marks the session not reusable whenever a statement prepared on it
// changes what belongs to the connection (SQLite's authorizer).
void watchConnectionState(SqliteSession& session);

// Records the file the session's path names now (after the open).
void rememberFile(SqliteSession& session);

// An idle session on the file with these open flags, counted again; null
// when there is none.
std::unique_ptr<SqliteSession> takeIdleSession(const std::string& path, int flags);

// Keeps a session its caller has finished with for the next open of its
// file, or closes it when it may not be kept.
void returnSession(std::unique_ptr<SqliteSession> session);

// Closes every idle session of the process.
void closeIdleSessions();

}  // namespace qxvb::ado
