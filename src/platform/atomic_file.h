// The one way whole files are written. The content goes to a new file of
// our own in the target's folder (an anonymous O_TMPFILE inode where the
// file system has them, else an exclusive, unpredictable name created
// without following links), is flushed to the disk, gets the mode of the
// file it replaces (or the mode asked for a new file), and is renamed onto
// the target, after which the folder is synced. A failure or a crash never
// leaves a partly written target; a failure leaves no temporary behind, and
// named temporaries of writers that died (kill -9) are removed by the next
// write of the same target. A target that is a symbolic link is replaced,
// never written through.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace qxvb::platform {

enum class NewFileAccess {
  Shared,     // 0666 less the process's umask, like any new file
  OwnerOnly,  // 0600: the file holds secrets or per-user state
};

class AtomicFile {
 public:
  // Creates the temporary; check error() (an errno value, 0 on success).
  explicit AtomicFile(std::filesystem::path target, NewFileAccess access = NewFileAccess::Shared);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  int error() const { return error_; }
  int descriptor() const { return fd_; }
  const std::filesystem::path& target() const { return target_; }

  // Appends bytes; false (error() set) when they cannot be written.
  bool write(std::string_view bytes);

  // Flushes and replaces the target; 0 or the errno of the failing step.
  int commit();
  // Like commit(), but fails with EEXIST rather than replace a file or link
  // already at the target.
  int commitNew();
  // Drops what was written; the target is untouched.
  void discard();

 private:
  int finish(bool replace);
  int place(bool replace);

  std::filesystem::path target_;
  std::filesystem::path folder_;
  std::filesystem::path named_;  // empty while the temporary is anonymous
  int fd_ = -1;
  int error_ = 0;
  bool anonymous_ = false;
  bool keepOwner_ = false;
  mode_t mode_ = 0;
  uid_t owner_ = 0;
  gid_t group_ = 0;
};

// Writes bytes as the whole new content of target; 0 or an errno value.
int writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                        NewFileAccess access = NewFileAccess::Shared);

// Whether name is a temporary this writer makes for a file of the folder
// (tests and folder listings use it to tell them from the user's files).
bool isAtomicTemporaryName(std::string_view name);

}  // namespace qxvb::platform
