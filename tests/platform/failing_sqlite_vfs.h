// SQLite fault injection for tests: a VFS over the default one whose
// writes fail with an I/O error once a set number of writes has gone
// through, installed as the default VFS while the object lives.
#pragma once

namespace qxvb::test {

class FailingSqliteWrites {
 public:
  // Lets `allowed` more writes through, then fails every further write.
  explicit FailingSqliteWrites(int allowed);
  ~FailingSqliteWrites();
  FailingSqliteWrites(const FailingSqliteWrites&) = delete;
  FailingSqliteWrites& operator=(const FailingSqliteWrites&) = delete;

  int failedWrites() const;
};

}  // namespace qxvb::test
