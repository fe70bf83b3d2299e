#include "database/export_target.h"

#include <stdexcept>

#include "platform/atomic_file.h"

namespace qxvb {

namespace {

constexpr size_t kBufferSize = 1 << 16;

}  // namespace

ExportTarget::ExportTarget(std::string target) : target_(std::move(target)) {
  if (target_.empty()) throw std::runtime_error("no file name");
  file_ = std::make_unique<platform::AtomicFile>(target_);
  if (file_->error() != 0) throw std::runtime_error("cannot create a file beside " + target_);
  buffer_.reserve(kBufferSize);
}

ExportTarget::~ExportTarget() = default;

void ExportTarget::flush() {
  if (!file_->write(buffer_)) throw std::runtime_error("cannot write " + target_);
  buffer_.clear();
}

void ExportTarget::write(std::string_view bytes) {
  if (buffer_.size() + bytes.size() > kBufferSize) flush();
  if (bytes.size() >= kBufferSize) {
    if (!file_->write(bytes)) throw std::runtime_error("cannot write " + target_);
    return;
  }
  buffer_.append(bytes);
}

void ExportTarget::commit() {
  flush();
  if (file_->commit() != 0) throw std::runtime_error("cannot write " + target_);
}

void createEmptyTarget(const std::string& target) {
  ExportTarget empty(target);
  empty.commit();
}

}  // namespace qxvb
