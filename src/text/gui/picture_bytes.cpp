#include "text/gui/picture_bytes.h"

#include <utility>
#include <vector>

#include "frame/automation_error.h"
#include "frame/member_extensions.h"
#include "frame/vb_conversions.h"
#include "text/qxutilities.h"
#include "ui/picture/picture_stream.h"

namespace qxvb {

Object QX_Util_PictureFromByteArray(const ByteArray& b) {
  if (b.data.empty()) raiseVbError(vberr::SubscriptOutOfRange);
  return loadPictureBytes(b.data.data(), b.data.size());
}

int32_t QX_Util_PictureToByteArray(ByteArray& bBitmap, const Object& pic) {
  if (!pic) return 0;
  const auto picture = asPicture(pic);
  if (!picture) raiseVbError(vberr::TypeMismatch);
  std::vector<uint8_t> stream = savePictureStream(*picture);
  if (stream.size() <= kPictureStreamHeaderSize) return 0;
  stream.erase(stream.begin(), stream.begin() + kPictureStreamHeaderSize);
  bBitmap = ByteArray{0, std::move(stream)};
  return static_cast<int32_t>(bBitmap.data.size());
}

namespace {

const ByteArray& byteArrayArgument(const Variant& value) {
  const auto* bytes = value.get<ByteArray>();
  if (bytes == nullptr) raiseVbError(vberr::TypeMismatch);
  return *bytes;
}

void addPictureMembers(DispatchTable& table) {
  Members<QXUtilities>(table)
      .method("QX_Util_PictureFromByteArray", {ref("b")},
              [](QXUtilities&, CallArgs& a) {
                return Variant(QX_Util_PictureFromByteArray(byteArrayArgument(a[0])));
              })
      .method("QX_Util_PictureToByteArray", {ref("bBitmap"), in("pic")},
              [](QXUtilities&, CallArgs& a) {
                ByteArray bytes;
                const int32_t written = QX_Util_PictureToByteArray(bytes, CObj(a[1]));
                if (written > 0) a.set(0, Variant(std::move(bytes)));
                return Variant(written);
              });
}

[[maybe_unused]] const bool registered = addMemberExtension("QXUtilities", addPictureMembers);

}  // namespace

}  // namespace qxvb
