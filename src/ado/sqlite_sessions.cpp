#include "ado/sqlite_sessions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/text/ascii.h"

namespace qxvb::ado {

namespace {

constexpr auto kIdleLimit = std::chrono::seconds(60);
constexpr size_t kIdlePerFile = 4;

// Pragmas that only read, or change the file rather than the connection.
bool leavesConnectionAsItWas(const char* pragma, const char* value) {
  static constexpr std::array<std::string_view, 16> kHarmless = {
      "table_info",     "table_xinfo",      "index_list",    "index_info",
      "index_xinfo",    "foreign_key_list", "database_list", "schema_version",
      "user_version",   "application_id",   "data_version",  "page_count",
      "freelist_count", "integrity_check",  "quick_check",   "wal_checkpoint"};
  if (pragma == nullptr) return false;
  const std::string name = ascii::toLower(pragma);
  if (name == "journal_mode") return value == nullptr;
  return std::find(kHarmless.begin(), kHarmless.end(), name) != kHarmless.end();
}

int watch(void* data, int action, const char* first, const char* second, const char*, const char*) {
  auto* session = static_cast<SqliteSession*>(data);
  switch (action) {
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
    case SQLITE_CREATE_TEMP_INDEX:
    case SQLITE_CREATE_TEMP_TABLE:
    case SQLITE_CREATE_TEMP_TRIGGER:
    case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_CREATE_VTABLE:
      session->reusable = false;
      break;
    case SQLITE_PRAGMA:
      if (!leavesConnectionAsItWas(first, second)) session->reusable = false;
      break;
    default:
      break;
  }
  return SQLITE_OK;
}

uint64_t inodeOf(const std::string& path, uint64_t device) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || static_cast<uint64_t>(info.st_dev) != device) return 0;
  return static_cast<uint64_t>(info.st_ino);
}

bool namesSameFile(const SqliteSession& session) {
  return inodeOf(session.path, session.device) == session.inode;
}

// Nothing of the caller's is left open on the session.
bool isQuiet(sqlite3* db) {
  return sqlite3_get_autocommit(db) != 0 && sqlite3_next_stmt(db, nullptr) == nullptr;
}

class Pool {
 public:
  ~Pool() {
    // The process ends: its own idle sessions close (the last one on a file
    // folds the write-ahead log back into it); a forked child's copies of
    // its parent's stay untouched.
    std::vector<std::unique_ptr<SqliteSession>> closing;
    {
      const std::lock_guard lock(mutex_);
      closing = takeAll();
    }
  }

  std::unique_ptr<SqliteSession> take(const std::string& path, int flags) {
    std::vector<std::unique_ptr<SqliteSession>> closing;
    std::unique_ptr<SqliteSession> found;
    {
      const std::lock_guard lock(mutex_);
      forgetParentsSessions();
      dropExpired(closing);
      for (auto it = idle_.rbegin(); it != idle_.rend(); ++it) {
        if ((*it)->path == path && (*it)->flags == flags) {
          found = std::move(*it);
          idle_.erase(std::next(it).base());
          break;
        }
      }
    }
    if (found && (!namesSameFile(*found) || (found->mark && !found->mark->renew()))) {
      found.reset();
    }
    return found;
  }

  void put(std::unique_ptr<SqliteSession> session) {
    std::vector<std::unique_ptr<SqliteSession>> closing;
    if (session->mark) session->mark->release();
    session->idleSince = std::chrono::steady_clock::now();
    const std::lock_guard lock(mutex_);
    forgetParentsSessions();
    dropExpired(closing);
    const auto sameFile = std::count_if(idle_.begin(), idle_.end(), [&](const auto& s) {
      return s->path == session->path && s->flags == session->flags;
    });
    if (static_cast<size_t>(sameFile) < kIdlePerFile) {
      idle_.push_back(std::move(session));
    } else {
      closing.push_back(std::move(session));
    }
  }

  std::vector<std::unique_ptr<SqliteSession>> takeAll() {
    forgetParentsSessions();
    return std::move(idle_);
  }

  std::mutex& mutex() { return mutex_; }

 private:
  void forgetParentsSessions() {
    const pid_t self = ::getpid();
    if (owner_ == self) return;
    // Their handles and marks belong to the parent: they are neither used
    // nor closed here, only kept where they can still be reached.
    static auto* inherited = new std::vector<SqliteSession*>();
    for (auto& session : idle_) inherited->push_back(session.release());
    idle_.clear();
    owner_ = self;
  }

  void dropExpired(std::vector<std::unique_ptr<SqliteSession>>& closing) {
    const auto now = std::chrono::steady_clock::now();
    for (auto it = idle_.begin(); it != idle_.end();) {
      if (now - (*it)->idleSince > kIdleLimit) {
        closing.push_back(std::move(*it));
        it = idle_.erase(it);
      } else {
        ++it;
      }
    }
  }

  std::mutex mutex_;
  std::vector<std::unique_ptr<SqliteSession>> idle_;
  pid_t owner_ = ::getpid();
};

Pool& pool() {
  static Pool instance;
  return instance;
}

}  // namespace

SqliteSession::~SqliteSession() {
  if (db == nullptr) return;
  // When the file was removed (and perhaps made again) under the session,
  // the log and index of that name may now serve a new file, perhaps in
  // another process: the close neither checkpoints into them nor removes
  // them. The session left its log empty when it went idle, so what stays
  // is an empty log the next session of the name starts afresh from.
  if (inode != 0 && !namesSameFile(*this)) {
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  }
  sqlite3_close_v2(db);
}

void watchConnectionState(SqliteSession& session) {
  sqlite3_set_authorizer(session.db, watch, &session);
}

void rememberFile(SqliteSession& session) {
  struct stat info {};
  if (::stat(session.path.c_str(), &info) != 0) {
    session.reusable = false;
    return;
  }
  session.device = static_cast<uint64_t>(info.st_dev);
  session.inode = static_cast<uint64_t>(info.st_ino);
}

std::unique_ptr<SqliteSession> takeIdleSession(const std::string& path, int flags) {
  return pool().take(path, flags);
}

void returnSession(std::unique_ptr<SqliteSession> session) {
  if (!session || session->db == nullptr || !session->reusable || session->owner != ::getpid() ||
      !isQuiet(session->db)) {
    return;
  }
  // What the session wrote goes from the write-ahead log into the file and
  // the log is emptied, as when the last session closes, so that the file
  // alone (copied, backed up) holds every committed change while the
  // session waits. It never waits for other sessions: with readers or a
  // writer about, it copies what it can. The next open sets the time-out.
  struct stat log {};
  if (::stat((session->path + "-wal").c_str(), &log) == 0 && log.st_size > 0) {
    sqlite3_busy_timeout(session->db, 0);
    sqlite3_wal_checkpoint_v2(session->db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
  }
  pool().put(std::move(session));
}

void closeIdleSessions() {
  std::vector<std::unique_ptr<SqliteSession>> closing;
  const std::lock_guard lock(pool().mutex());
  closing = pool().takeAll();
}

}  // namespace qxvb::ado
