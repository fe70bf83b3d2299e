// Ency files: settings files kept in the open repository's file table
// rather than on disk, read and written by the settings component.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace qxvb::ado {
class Connection;
}

namespace qxvb::qxdutils {

class EncyFiles {
 public:
  explicit EncyFiles(std::shared_ptr<ado::Connection> connection);

  bool exists(const std::string& name) const;
  // Copies a stored file to a disk file; False when there is no such file.
  bool exportFile(const std::string& name, const std::string& externalFile) const;
  // Stores a disk file under name; False when the disk file does not exist
  // or the name is taken and overwrite is False.
  bool importFile(const std::string& externalFile, const std::string& name, bool overwrite);
  // The contents of a stored file as text; "" when there is none.
  std::string read(const std::string& name) const;
  bool write(const std::string& name, const std::string& data);

 private:
  std::shared_ptr<ado::Connection> connection_;
};

}  // namespace qxvb::qxdutils
