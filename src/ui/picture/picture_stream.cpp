#include "ui/picture/picture_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "files/file_errors.h"
#include "frame/automation_error.h"

namespace qxvb {

namespace {

constexpr int32_t kEFail = static_cast<int32_t>(0x80004005);
constexpr int32_t kInvalidPicture = 481;
// Larger files are not taken for pictures: the loader reads them whole.
constexpr off_t kLargestPictureFile = off_t{256} * 1024 * 1024;

uint32_t readLittleEndian(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void appendLittleEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

bool startsWith(const QByteArray& bytes, const char* magic, qsizetype length) {
  return bytes.size() >= length && std::equal(magic, magic + length, bytes.constData());
}

// The file formats the platform's loader reads, told by their first bytes.
const char* formatOf(const QByteArray& file) {
  if (startsWith(file, "BM", 2)) return "bmp";
  if (startsWith(file, "\xFF\xD8\xFF", 3)) return "jpeg";
  if (startsWith(file, "GIF87a", 6) || startsWith(file, "GIF89a", 6)) return "gif";
  if (startsWith(file, "\0\0\1\0", 4)) return "ico";
  if (startsWith(file, "\0\0\2\0", 4)) return "cur";
  return nullptr;
}

std::shared_ptr<Picture> decodePictureFile(QByteArray file) {
  const char* format = formatOf(file);
  if (format == nullptr) return nullptr;
  QBuffer buffer(&file);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  reader.setAutoDetectImageFormat(false);
  QImage image = reader.read();
  if (image.isNull()) return nullptr;
  buffer.close();
  const bool icon = format[0] == 'i' || format[0] == 'c';
  return std::make_shared<Picture>(std::move(image), icon ? kPictureTypeIcon : kPictureTypeBitmap,
                                   std::move(file));
}

// A persisted stream is cut down to its picture file; anything else is
// taken as a picture file.
std::shared_ptr<Picture> fromPictureBytes(QByteArray bytes) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
  const auto size = static_cast<size_t>(bytes.size());
  if (size >= 4 && readLittleEndian(data) == kPictureStreamMarker) {
    if (size < kPictureStreamHeaderSize) return nullptr;
    const uint32_t length = readLittleEndian(data + 4);
    if (length > size - kPictureStreamHeaderSize) return nullptr;
    bytes = bytes.sliced(kPictureStreamHeaderSize, length);
  }
  return decodePictureFile(std::move(bytes));
}

[[noreturn]] void raiseMissing(const std::string& fileName) {
  std::error_code ignored;
  const std::filesystem::path folder = std::filesystem::path(fileName).parent_path();
  if (folder.empty() || std::filesystem::is_directory(folder, ignored)) {
    raiseVbError(vberr::FileNotFound);
  }
  raiseVbError(vberr::PathNotFound);
}

QByteArray readWholeFile(const std::string& fileName) {
  if (files::unusablePath(fileName)) raiseVbError(vberr::BadFileNameOrNumber);
  // Non-blocking: a FIFO or device in the file's place is refused below, not waited on.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT) raiseMissing(fileName);
    files::raiseErrno(error);
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kLargestPictureFile) {
    const bool isFolder = S_ISDIR(info.st_mode);
    ::close(fd);
    if (isFolder) raiseVbError(vberr::PathFileAccessError);
    raiseError(kInvalidPicture, kProjectName, "Invalid picture");
  }
  QByteArray bytes(static_cast<qsizetype>(info.st_size), '\0');
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  const int error = errno;
  ::close(fd);
  if (done < bytes.size()) files::raiseErrno(error);
  return bytes;
}

}  // namespace

std::vector<uint8_t> savePictureStream(const Picture& picture) {
  const QByteArray file = picture.pictureFile();
  if (file.isEmpty() && !picture.isEmpty()) {
    raiseError(kEFail, kProjectName, "Automation error: the picture could not be saved");
  }
  std::vector<uint8_t> stream;
  stream.reserve(kPictureStreamHeaderSize + static_cast<size_t>(file.size()));
  appendLittleEndian(stream, kPictureStreamMarker);
  appendLittleEndian(stream, static_cast<uint32_t>(file.size()));
  stream.insert(stream.end(), file.begin(), file.end());
  return stream;
}

std::shared_ptr<Picture> loadPictureBytes(const uint8_t* data, size_t size) {
  if (size > static_cast<size_t>(kLargestPictureFile)) return nullptr;
  return fromPictureBytes(
      QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
}

std::shared_ptr<Picture> loadPictureFile(const std::string& fileName) {
  if (fileName.empty()) return std::make_shared<Picture>();
  QByteArray bytes = readWholeFile(fileName);
  auto picture = fromPictureBytes(std::move(bytes));
  if (!picture) raiseError(kInvalidPicture, kProjectName, "Invalid picture");
  return picture;
}

}  // namespace qxvb
