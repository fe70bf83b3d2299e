#include "ui/picture/picture.h"

#include <atomic>
#include <cmath>
#include <utility>

#include "ui/picture/bitmap_file.h"

namespace qxvb {

namespace {

// Handles count up from a value of the platform's handle range, so a
// handle never looks like a small number or 0.
int32_t nextHandle() {
  static std::atomic<int32_t> counter{0x10000};
  int32_t handle = ++counter;
  if (handle <= 0) handle = counter = 0x10000;
  return handle;
}

}  // namespace

Picture::Picture(QImage image, int16_t type, QByteArray file)
    : image_(std::move(image)), type_(type), file_(std::move(file)) {
  if (image_.isNull()) {
    type_ = kPictureTypeNone;
    file_.clear();
  } else {
    handle_ = nextHandle();
  }
}

int32_t pixelsToHimetric(int32_t pixels) {
  return static_cast<int32_t>(std::lround(static_cast<double>(pixels) * 2540.0 / 96.0));
}

int32_t Picture::widthHimetric() const {
  return pixelsToHimetric(image_.width());
}

int32_t Picture::heightHimetric() const {
  return pixelsToHimetric(image_.height());
}

QByteArray Picture::pictureFile() const {
  if (image_.isNull()) return {};
  if (!file_.isEmpty()) return file_;
  return gui::encodeBitmapFile(image_);
}

std::shared_ptr<Picture> makePicture(QImage image) {
  return std::make_shared<Picture>(std::move(image), kPictureTypeBitmap);
}

std::shared_ptr<Picture> asPicture(const Object& object) {
  return std::dynamic_pointer_cast<Picture>(object);
}

const DispatchTable& Picture::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Picture");
    Members<Picture>(t)
        .get("Handle", {}, [](Picture& p, CallArgs&) { return Variant(p.handle()); })
        .get("hPal", {}, [](Picture&, CallArgs&) { return Variant(int32_t{0}); })
        .get("Type", {}, [](Picture& p, CallArgs&) { return Variant(p.type()); })
        .get("Width", {}, [](Picture& p, CallArgs&) { return Variant(p.widthHimetric()); })
        .get("Height", {}, [](Picture& p, CallArgs&) { return Variant(p.heightHimetric()); });
    return t;
  }();
  return table;
}

}  // namespace qxvb
