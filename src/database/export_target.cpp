#include "database/export_target.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace qxvb {

namespace {

constexpr size_t kBufferSize = 1 << 16;

std::string workingName(const std::string& target) {
  const std::filesystem::path path(target);
  if (target.empty() || path.filename().empty()) {
    throw std::runtime_error("no file name in " + target);
  }
  const std::filesystem::path folder = path.parent_path();
  const std::string name = "." + path.filename().string() + ".";
  return (folder.empty() ? std::filesystem::path(name) : folder / name).string();
}

}  // namespace

ExportTarget::ExportTarget(std::string target) : target_(std::move(target)) {
  const std::string base = workingName(target_);
  // A new name of our own, made with the caller's usual permissions.
  thread_local std::mt19937 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    working_ = base + std::to_string(random() % 1000000);
    fd_ = ::open(working_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) throw std::runtime_error("cannot create a file beside " + target_);
  created_ = true;
  buffer_.reserve(kBufferSize);
}

ExportTarget::~ExportTarget() {
  if (fd_ >= 0) ::close(fd_);
  if (created_ && !committed_) ::unlink(working_.c_str());
}

void ExportTarget::flush() {
  size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("cannot write " + target_);
    }
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
}

void ExportTarget::write(std::string_view bytes) {
  if (buffer_.size() + bytes.size() > kBufferSize) flush();
  if (bytes.size() >= kBufferSize) {
    buffer_.assign(bytes);
    flush();
    return;
  }
  buffer_.append(bytes);
}

void ExportTarget::commit() {
  flush();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) throw std::runtime_error("cannot write " + target_);
  if (::rename(working_.c_str(), target_.c_str()) != 0) {
    throw std::runtime_error("cannot replace " + target_);
  }
  committed_ = true;
}

void createEmptyTarget(const std::string& target) {
  ExportTarget empty(target);
  empty.commit();
}

}  // namespace qxvb
