// The diagram export members of QXUtilities, added to its table by the
// graphical module.
#include "diagram/bitmap_export.h"
#include "diagram/picture_export.h"
#include "diagram/svg_export.h"
#include "frame/member_extensions.h"
#include "text/qxutilities.h"

namespace qxvb {

namespace {

constexpr int32_t kDefaultMaxPixelWidth = 1024;

std::vector<ParamSpec> bitmapParameters() {
  return {in("v_lngDDID"), in("v_strFileName"), optRef("r_lngWidth"), optRef("r_lngHeight"),
          opt("v_lngMaxPixelWidth", Variant(kDefaultMaxPixelWidth))};
}

Variant bitmapCall(CallArgs& a, bool hotspots, bool withPlacement) {
  diagram::BitmapResult out;
  const int32_t result = diagram::diagramToBitmap(a.lng(0), a.str(1), a.lng(4), hotspots, out);
  if (result == 0) {
    a.set(2, Variant(out.width));
    a.set(3, Variant(out.height));
    if (withPlacement) {
      a.set(6, Variant(out.left));
      a.set(7, Variant(out.top));
      a.set(8, Variant(out.right));
      a.set(9, Variant(out.bottom));
      a.set(10, Variant(out.scale));
    }
  }
  return Variant(result);
}

// The picture members: the full form with its message, and the form
// without one whose width and height are required.
Variant pictureCall(diagram::PictureFormat format, CallArgs& a, bool withMessage) {
  int32_t width = 0;
  int32_t height = 0;
  std::string message;
  const int32_t result =
      diagram::diagramToPicture(format, a.lng(0), a.str(1), width, height, a.lng(4), message);
  // The bitmap step hands its size back whether or not the conversion
  // after it (code 3) succeeded.
  if (result == 0 || result == 3) {
    a.set(2, Variant(width));
    a.set(3, Variant(height));
  }
  if (withMessage) a.set(5, Variant(message));
  return Variant(result);
}

void addPictureMembers(Members<QXUtilities>& m, const char* full, const char* noMessage,
                       diagram::PictureFormat format) {
  std::vector<ParamSpec> withMessage = bitmapParameters();
  withMessage.push_back(optRef("r_strErrorMsg"));
  m.method(full, withMessage,
           [format](QXUtilities&, CallArgs& a) { return pictureCall(format, a, true); })
      .method(noMessage,
              {in("v_lngDDID"), in("v_strFileName"), ref("r_lngWidth"), ref("r_lngHeight"),
               opt("v_lngMaxPixelWidth", Variant(kDefaultMaxPixelWidth))},
              [format](QXUtilities&, CallArgs& a) { return pictureCall(format, a, false); });
}

void addDiagramMembers(DispatchTable& table) {
  Members<QXUtilities> m(table);
  m.method("QX_DiagramToBitmap", bitmapParameters(),
           [](QXUtilities&, CallArgs& a) { return bitmapCall(a, true, false); });
  std::vector<ParamSpec> second = bitmapParameters();
  second.push_back(opt("v_blnGenHotspotmap", Variant(true)));
  m.method("QX_DiagramToBitmap2", second,
           [](QXUtilities&, CallArgs& a) { return bitmapCall(a, a.boolean(5), false); });
  std::vector<ParamSpec> third = second;
  for (const char* name : {"r_lngLeft", "r_lngTop", "r_lngRight", "r_lngBottom", "r_dblScale"}) {
    third.push_back(optRef(name));
  }
  m.method("QX_DiagramToBitmap3", third,
           [](QXUtilities&, CallArgs& a) { return bitmapCall(a, a.boolean(5), true); });
  addPictureMembers(m, "QX_DiagramToJPEG", "QX_DiagramToJPEGNoErrStr",
                    diagram::PictureFormat::Jpeg);
  addPictureMembers(m, "QX_DiagramToPNG", "QX_DiagramToPNGNoErrStr", diagram::PictureFormat::Png);
  m.method("QX_DiagramToSVG", {in("v_lngDDID"), in("v_strFileName"), optRef("r_strErrorMsg")},
           [](QXUtilities&, CallArgs& a) {
             std::string message;
             const int32_t result = diagram::diagramToSvg(a.lng(0), a.str(1), message);
             a.set(2, Variant(message));
             return Variant(result);
           })
      .method("QX_DiagramToSVGNoErrStr", {in("v_lngDDID"), in("v_strFileName")},
              [](QXUtilities&, CallArgs& a) {
                std::string message;
                return Variant(diagram::diagramToSvg(a.lng(0), a.str(1), message));
              });
}

[[maybe_unused]] const bool registered = addMemberExtension("QXUtilities", addDiagramMembers);

}  // namespace

}  // namespace qxvb
