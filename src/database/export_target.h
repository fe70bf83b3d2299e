// The file an export writes, buffered, through the platform's atomic writer:
// a failed export never leaves a partly written target, a target that is a
// link is replaced rather than written through, and a rewritten file keeps
// its mode.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace qxvb {

namespace platform {
class AtomicFile;
}

class ExportTarget {
 public:
  // Creates the hidden working file in the target's folder; raises
  // std::runtime_error when it cannot.
  explicit ExportTarget(std::string target);
  ~ExportTarget();
  ExportTarget(const ExportTarget&) = delete;
  ExportTarget& operator=(const ExportTarget&) = delete;

  void write(std::string_view bytes);
  // Flushes what is buffered and renames the working file onto the target.
  void commit();

 private:
  void flush();
  std::string target_;
  std::string buffer_;
  std::unique_ptr<platform::AtomicFile> file_;
};

// Makes the target an empty file; raises std::runtime_error when it cannot.
void createEmptyTarget(const std::string& target);

}  // namespace qxvb
