#include "diagram/bitmap_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "diagram/bitmap_sizes.h"
#include "diagram/host_access.h"
#include "diagram/hotspot_map.h"
#include "diagram/second_notation.h"
#include "frame/automation_error.h"
#include "frame/vb_conversions.h"

namespace qxvb::diagram {

namespace {

struct Failed {};

int32_t required(std::optional<int32_t> value) {
  if (!value) throw Failed{};
  return *value;
}

// The target's old file goes first; a name that cannot be deleted (a
// folder, a read-only folder) fails the export.
void removeOldFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) throw Failed{};
}

class BitmapMaker {
 public:
  BitmapMaker(Object host, int32_t window, const Extent& extent, std::string file)
      : host_(std::move(host)), window_(window), extent_(extent), file_(std::move(file)) {}

  int32_t create(const PixelSize& size) {
    const auto width = asLong(size.width);
    const auto height = asLong(size.height);
    if (!width || !height) return -1;
    std::vector<Variant> args{Variant(window_),
                              Variant(required(asLong(extent_.left))),
                              Variant(required(asLong(extent_.top))),
                              Variant(required(asLong(extent_.right))),
                              Variant(required(asLong(extent_.bottom))),
                              Variant(*width),
                              Variant(*height),
                              Variant(file_)};
    return CLng(invokeWith(host_, "QXCreateDiagramBitMap", args));
  }

 private:
  Object host_;
  int32_t window_;
  Extent extent_;
  std::string file_;
};

// Steps 6 to 9 for a diagram in a window of the host; answers the scale of
// the bitmap made.
double makeBitmap(const HostObjects& host, int32_t window, const std::string& fileName,
                  int32_t maxPixelWidth, Extent& extent, PixelSize& pixels) {
  removeOldFile(fileName);
  std::vector<Variant> geometry{Variant(window), Variant(int32_t{0}), Variant(int32_t{0}),
                                Variant(int32_t{0}), Variant(int32_t{0})};
  if (CLng(invokeWith(host.interfaceObject, "QXGetDiagramGeometry", geometry)) != 0) throw Failed{};
  extent = widened({CLng(geometry[1]), CLng(geometry[2]), CLng(geometry[3]), CLng(geometry[4])});
  BitmapMaker maker(host.interfaceObject, window, extent, fileName);
  const Attempt made = createWithRetries(extent, scaleFor(extent.width(), maxPixelWidth),
                                         [&](const PixelSize& size) { return maker.create(size); });
  if (made.answer != 0) throw Failed{};
  if (!isUsableBitmap(fileName)) {
    ::unlink(fileName.c_str());
    throw Failed{};
  }
  pixels = made.size;
  return made.scale;
}

void exportOrdinary(const HostObjects& host, const FetchedDiagram& fetched,
                    const std::string& fileName, int32_t maxPixelWidth, bool hotspotMap,
                    BitmapResult& out) {
  const DiagramWindow window(fetched.diagram);
  Extent extent;
  PixelSize pixels;
  const double scale = makeBitmap(host, window.handle(), fileName, maxPixelWidth, extent, pixels);
  if (hotspotMap) {
    writeHotspotMap(host.interfaceObject, window.handle(), HotspotPlacement{extent, scale, pixels},
                    hotspotFileName(fileName, ".hsp"));
  }
  out.width = required(asLong(pixels.width));
  out.height = required(asLong(pixels.height));
  out.left = required(asLong(extent.left));
  out.top = required(asLong(extent.top));
  out.right = required(asLong(extent.right));
  out.bottom = required(asLong(extent.bottom));
  out.scale = scale;
}

}  // namespace

bool isUsableBitmap(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat info {};
  unsigned char header[26] = {};
  const bool read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 26 &&
                    ::pread(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header);
  ::close(fd);
  if (!read) return false;
  const int width = header[18] | (header[19] << 8);
  const int height = header[22] | (header[23] << 8);
  return !(width == 1 && height == 1);
}

int32_t diagramToBitmap(int32_t ddid, const std::string& fileName, int32_t maxPixelWidth,
                        bool hotspotMap, BitmapResult& out) {
  const std::optional<HostObjects> host = reachHost();
  if (!host) return 1;
  try {
    const FetchedDiagram fetched = fetchDiagram(*host, ddid);
    BitmapResult result;
    if (fetched.secondNotation) {
      removeOldFile(fileName);
      if (!secondNotationBitmap(*host, fetched.diagram, fileName, maxPixelWidth, result) ||
          !isUsableBitmap(fileName)) {
        return 2;
      }
    } else {
      exportOrdinary(*host, fetched, fileName, maxPixelWidth, hotspotMap, result);
    }
    out = result;
    return 0;
  } catch (const Failed&) {
    return 2;
  } catch (const std::exception&) {
    return 2;
  }
}

}  // namespace qxvb::diagram
