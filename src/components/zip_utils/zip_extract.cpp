#include "components/zip_utils/zip_extract.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "platform/write_all.h"

namespace qxvb::zip {

namespace {

constexpr size_t kMostFolders = 256;
constexpr mode_t kFolderMode = 0755;
constexpr mode_t kFileMode = 0644;

struct Refused {
  std::string reason;
};

struct Entry {
  zip_uint64_t index = 0;
  std::string name;                // as stored
  std::vector<std::string> parts;  // the path below the folder
  bool folder = false;
};

class Archive {
 public:
  explicit Archive(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw Refused{"The archive " + path + " cannot be opened: " + std::strerror(errno)};
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      ::close(fd);
      throw Refused{"The archive " + path + " is not a regular file."};
    }
    int error = 0;
    archive_ = zip_fdopen(fd, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (archive_ == nullptr) {
      ::close(fd);
      zip_error_t detail;
      zip_error_init_with_code(&detail, error);
      const std::string text = zip_error_strerror(&detail);
      zip_error_fini(&detail);
      throw Refused{"The file " + path + " is not a usable zip archive: " + text};
    }
  }
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;
  ~Archive() { zip_discard(archive_); }
  zip_t* get() const { return archive_; }

 private:
  zip_t* archive_ = nullptr;
};

std::string outside(const std::string& name) {
  return "The archive entry " + name + " would be written outside the folder.";
}

// The entry's path below the folder, checked.
Entry checkedEntry(zip_t* archive, zip_uint64_t index, const zip_stat_t& stat) {
  Entry entry;
  entry.index = index;
  entry.name = (stat.valid & ZIP_STAT_NAME) != 0 ? stat.name : "";
  std::string name = entry.name;
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  if (name.empty() || name.front() == '/' || name.find(':') != std::string::npos) {
    throw Refused{outside(entry.name)};
  }
  entry.folder = name.back() == '/';
  size_t start = 0;
  while (start <= name.size()) {
    const size_t end = std::min(name.find('/', start), name.size());
    const std::string part = name.substr(start, end - start);
    if (part == "..") throw Refused{outside(entry.name)};
    if (!part.empty() && part != ".") entry.parts.push_back(part);
    start = end + 1;
  }
  if (entry.parts.empty()) throw Refused{outside(entry.name)};
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) == 0 &&
      system == ZIP_OPSYS_UNIX) {
    const mode_t type = (attributes >> 16) & S_IFMT;
    if (type == S_IFLNK) {
      throw Refused{"The archive entry " + entry.name + " is a link; links are not unpacked."};
    }
    if (type != 0 && type != S_IFREG && type != S_IFDIR) {
      throw Refused{"The archive entry " + entry.name + " is not a file or folder."};
    }
    if (type == S_IFDIR) entry.folder = true;
  }
  if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && stat.encryption_method != ZIP_EM_NONE) {
    throw Refused{"The archive entry " + entry.name + " is encrypted."};
  }
  return entry;
}

std::string tooLarge(const ExtractLimits& limits) {
  return "The archive would expand to more than " + std::to_string(limits.maxExpandedBytes) +
         " bytes.";
}

std::vector<Entry> checkedEntries(zip_t* archive, const ExtractLimits& limits) {
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  if (count < 0 || static_cast<uint64_t>(count) > limits.maxEntries) {
    throw Refused{"The archive holds more than " + std::to_string(limits.maxEntries) + " entries."};
  }
  std::vector<Entry> entries;
  uint64_t declared = 0;
  for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, i, 0, &stat) != 0) {
      throw Refused{std::string("The archive is damaged: ") + zip_strerror(archive)};
    }
    Entry entry = checkedEntry(archive, i, stat);
    if ((stat.valid & ZIP_STAT_SIZE) != 0) declared += stat.size;
    if (declared > limits.maxExpandedBytes) throw Refused{tooLarge(limits)};
    entries.push_back(std::move(entry));
  }
  return entries;
}

// The folders and files this extraction made, undone unless it completes.
class Extraction {
 public:
  Extraction(int root, const ExtractLimits& limits) : root_(root), limits_(limits) {}
  Extraction(const Extraction&) = delete;
  Extraction& operator=(const Extraction&) = delete;
  ~Extraction() {
    for (const Pending& p : pending_) ::unlinkat(folderFd(p.folder), p.temporary.c_str(), 0);
    for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it) {
      ::unlinkat(root_, it->c_str(), AT_REMOVEDIR);
    }
    for (const auto& [path, fd] : folders_) {
      if (fd != root_) ::close(fd);
    }
  }

  // The folder below the root, made where missing; an existing link is
  // never followed.
  std::string folder(const std::vector<std::string>& parts, size_t count) {
    std::string path;
    int parent = root_;
    for (size_t i = 0; i < count; ++i) {
      path += (path.empty() ? "" : "/") + parts[i];
      const auto known = folders_.find(path);
      if (known != folders_.end()) {
        parent = known->second;
        continue;
      }
      if (folders_.size() >= kMostFolders) throw Refused{"The archive holds too many folders."};
      if (::mkdirat(parent, parts[i].c_str(), kFolderMode) == 0) {
        madeFolders_.push_back(path);
      } else if (errno != EEXIST) {
        throw Refused{"The folder " + path + " cannot be made: " + std::strerror(errno)};
      }
      const int fd =
          ::openat(parent, parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (fd < 0) throw Refused{outside(path)};
      folders_[path] = fd;
      parent = fd;
    }
    return path;
  }

  void unpack(zip_t* archive, const Entry& entry) {
    const std::string where = folder(entry.parts, entry.parts.size() - (entry.folder ? 0 : 1));
    if (entry.folder) return;
    const int parent = folderFd(where);
    std::random_device random;
    Pending p{where, ".qxzip-" + std::to_string(random()) + std::to_string(random()),
              entry.parts.back()};
    const int fd = ::openat(parent, p.temporary.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kFileMode);
    if (fd < 0)
      throw Refused{"The file " + entry.name + " cannot be written: " + std::strerror(errno)};
    pending_.push_back(p);
    const bool written = copy(archive, entry, fd);
    if (::close(fd) != 0 || !written) {
      throw Refused{"The file " + entry.name + " cannot be written: " + std::strerror(errno)};
    }
  }

  // Gives every unpacked file its own name.
  void finish() {
    for (const Pending& p : pending_) {
      const int fd = folderFd(p.folder);
      if (::renameat(fd, p.temporary.c_str(), fd, p.name.c_str()) != 0) {
        throw Refused{"The file " + p.name + " cannot be placed: " + std::strerror(errno)};
      }
    }
    pending_.clear();
    madeFolders_.clear();
  }

 private:
  struct Pending {
    std::string folder;
    std::string temporary;
    std::string name;
  };

  int folderFd(const std::string& path) const {
    if (path.empty()) return root_;
    return folders_.at(path);
  }

  // Copies the entry's data, counting what it really expands to rather than
  // trusting the sizes the archive declares.
  bool copy(zip_t* archive, const Entry& entry, int fd) {
    zip_file_t* file = zip_fopen_index(archive, entry.index, 0);
    if (file == nullptr) {
      throw Refused{"The archive entry " + entry.name +
                    " cannot be read: " + zip_strerror(archive)};
    }
    std::vector<char> buffer(size_t{64} * 1024);
    bool ok = true;
    std::string failure;
    for (;;) {
      const zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
      if (n == 0) break;
      if (n < 0) {
        failure = "The archive entry " + entry.name + " is damaged: " + zip_file_strerror(file);
        break;
      }
      expanded_ += static_cast<uint64_t>(n);
      if (expanded_ > limits_.maxExpandedBytes) {
        failure = tooLarge(limits_);
        break;
      }
      if (!platform::writeAll(fd, std::string_view(buffer.data(), static_cast<size_t>(n)))) {
        ok = false;
        break;
      }
    }
    zip_fclose(file);
    if (!failure.empty()) throw Refused{failure};
    return ok;
  }

  int root_;
  const ExtractLimits& limits_;
  uint64_t expanded_ = 0;
  std::map<std::string, int> folders_;
  std::vector<std::string> madeFolders_;
  std::vector<Pending> pending_;
};

}  // namespace

std::string extractArchive(const std::string& archive, const std::string& folder,
                           const ExtractLimits& limits) {
  try {
    const Archive zip(archive);
    const std::vector<Entry> entries = checkedEntries(zip.get(), limits);
    const int root = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0)
      throw Refused{"The folder " + folder + " cannot be opened: " + std::strerror(errno)};
    try {
      Extraction extraction(root, limits);
      for (const Entry& entry : entries) extraction.unpack(zip.get(), entry);
      extraction.finish();
    } catch (...) {
      ::close(root);
      throw;
    }
    ::close(root);
    return {};
  } catch (const Refused& refused) {
    return refused.reason;
  }
}

}  // namespace qxvb::zip
