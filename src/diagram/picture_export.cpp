#include "diagram/picture_export.h"

#include <unistd.h>

#include <array>
#include <cerrno>

#include "diagram/bitmap_export.h"
#include "diagram/hotspot_map.h"
#include "exports/rastell2.h"
#include "files/qx_file_utils.h"
#include "files/temp_names.h"
#include "frame/string_table.h"
#include "platform/ansi.h"
#include "platform/atomic_file.h"
#include "platform/regular_file.h"

namespace qxvb::diagram {

namespace {

constexpr int32_t kConversionFailed = 41149;
constexpr int32_t kConverterSaid = 17068;
constexpr int32_t kErrorBufferLength = 999;
constexpr size_t kLargestHotspotMap = 64u << 20;

// Removes the temporary bitmap and its hotspot map however the export ends.
class TemporaryBitmap {
 public:
  explicit TemporaryBitmap(std::string path) : path_(std::move(path)) {}
  TemporaryBitmap(const TemporaryBitmap&) = delete;
  TemporaryBitmap& operator=(const TemporaryBitmap&) = delete;
  ~TemporaryBitmap() {
    ::unlink(path_.c_str());
    ::unlink(hotspots().c_str());
  }
  const std::string& path() const { return path_; }
  std::string hotspots() const { return hotspotFileName(path_, ".hsp"); }

 private:
  std::string path_;
};

// Copies a file to a name that must be new; a taken name or a failed copy
// leaves nothing behind.
void copyToNewFile(const std::string& from, const std::string& to) {
  std::string bytes;
  if (platform::readRegularFile(from, bytes, kLargestHotspotMap) != 0) return;
  platform::AtomicFile file(to);
  if (file.error() != 0 || !file.write(bytes)) return;
  file.commitNew();
}

bool fileExists(const std::string& path) {
  return ::access(path.c_str(), F_OK) == 0;
}

}  // namespace

int32_t diagramToPicture(PictureFormat format, int32_t ddid, const std::string& fileName,
                         int32_t& width, int32_t& height, int32_t maxPixelWidth,
                         std::string& errorMessage) {
  errorMessage.clear();
  try {
    if (Rastell2_Version() == 0) return 1;
    const std::string folder =
        sharedFileUtils()->QX_File_GetFolderLocation(0, QXSF_TemporaryFolder);
    std::string name = files::platformTempFile(folder, "qx", 0);
    name = name.substr(0, name.find('\0'));
    if (name.empty()) return 2;
    const TemporaryBitmap bitmap(name);
    BitmapResult made;
    const int32_t bitmapResult = diagramToBitmap(ddid, bitmap.path(), maxPixelWidth, true, made);
    if (bitmapResult != 0) return bitmapResult;
    width = made.width;
    height = made.height;
    std::array<char, kErrorBufferLength + 1> buffer{};
    const std::string source = ansi::fromUtf8(bitmap.path());
    const std::string target = ansi::fromUtf8(fileName);
    const int32_t converted =
        format == PictureFormat::Jpeg
            ? Rastell2_BmpToJpeg_ReturnError(source.c_str(), target.c_str(), 0, buffer.data(),
                                             kErrorBufferLength)
            : Rastell2_BmpToPNG_ReturnError(source.c_str(), target.c_str(), 0, buffer.data(),
                                            kErrorBufferLength);
    if (converted != 0) {
      errorMessage = formatLocalString(localString(kConversionFailed),
                                       Variant(format == PictureFormat::Jpeg ? "JPG" : "PNG"));
      const std::string said = ansi::toUtf8(buffer.data());
      if (!said.empty())
        errorMessage += formatLocalString(localString(kConverterSaid), Variant(said));
      return 3;
    }
    // An existing map of the target is the user's and stays as it is; the
    // picture is written all the same.
    if (fileExists(bitmap.hotspots())) {
      copyToNewFile(bitmap.hotspots(), hotspotFileName(fileName, ".HSP"));
    }
    return 0;
  } catch (const std::exception&) {
    return 2;
  }
}

}  // namespace qxvb::diagram
