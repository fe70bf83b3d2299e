// Picture: the library's picture object, what the platform's standard
// picture is to its callers. It holds a decoded image and the picture file
// it came from, which is what it writes when it saves itself.
#pragma once

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <memory>

#include "frame/dispatch.h"

namespace qxvb {

// Picture types, as the standard picture's Type property answers them.
inline constexpr int16_t kPictureTypeNone = 0;
inline constexpr int16_t kPictureTypeBitmap = 1;
inline constexpr int16_t kPictureTypeIcon = 3;

class Picture : public Dispatch {
 public:
  // An empty picture: type None, handle 0, size 0.
  Picture() = default;
  // A picture of image; file is the picture file it was decoded from, or
  // empty when the image was made in memory (it then saves as a bitmap).
  Picture(QImage image, int16_t type, QByteArray file = {});

  const DispatchTable& dispatchTable() const override;

  const QImage& image() const { return image_; }
  bool isEmpty() const { return image_.isNull(); }
  int16_t type() const { return type_; }
  // Non-zero and unique in the process for a picture with an image.
  int32_t handle() const { return handle_; }
  // Size in HIMETRIC units (0.01 mm) at the screen's 96 pixels per inch,
  // as the standard picture gives the size of a bitmap.
  int32_t widthHimetric() const;
  int32_t heightHimetric() const;

  // The picture file this picture saves: the file it was loaded from, or a
  // Windows bitmap file of its image; empty for an empty picture. An empty
  // result for a non-empty picture means the image could not be encoded.
  QByteArray pictureFile() const;

 private:
  QImage image_;
  int16_t type_ = kPictureTypeNone;
  int32_t handle_ = 0;
  QByteArray file_;
};

// A picture object from an image made in memory (a bitmap picture).
std::shared_ptr<Picture> makePicture(QImage image);

// The Picture inside an object, or nullptr when it holds another class.
std::shared_ptr<Picture> asPicture(const Object& object);

// Pixels to HIMETRIC at 96 pixels per inch, rounded to the nearest unit.
int32_t pixelsToHimetric(int32_t pixels);

}  // namespace qxvb
