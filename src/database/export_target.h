// The file an export writes. Its contents are written to a new file beside
// the target and renamed onto it once complete, so a failed export never
// leaves a partly written target, and a target that is a link is replaced
// rather than written through to wherever it points.
#pragma once

#include <string>
#include <string_view>

namespace qxvb {

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
  std::string working_;
  std::string buffer_;
  int fd_ = -1;
  bool created_ = false;
  bool committed_ = false;
};

// Makes the target an empty file; raises std::runtime_error when it cannot.
void createEmptyTarget(const std::string& target);

}  // namespace qxvb
