#include "files/gui/load_picture.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

#include "components/picture_conversion/gui/picture_converter.h"
#include "exports/rastell2.h"
#include "files/temp_names.h"
#include "frame/catalogue.h"
#include "frame/member_extensions.h"
#include "frame/module_state.h"
#include "frame/vb_conversions.h"
#include "platform/ansi.h"
#include "ui/picture/picture_stream.h"

namespace qxvb {

namespace {

bool containsNoCase(const std::string& text, std::string_view part) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  std::string folded(text.size(), '\0');
  std::transform(text.begin(), text.end(), folded.begin(), lower);
  return folded.find(part) != std::string::npos;
}

// Deletes the intermediate bitmap however the load ends.
class ScratchFile {
 public:
  explicit ScratchFile(std::string path) : path_(std::move(path)) {}
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

using Conversion = std::function<bool(const std::string& source, const std::string& bitmap)>;

// The intermediate bitmap gets a new name in the temporary folder rather
// than the source's name with ".bmp": a bitmap already lying beside the
// source is never replaced or deleted, and read-only folders still load.
Object loadThroughBitmap(QX_File_Utils& utils, const std::string& source,
                         const Conversion& convert) {
  const std::string folder = utils.QX_File_GetFolderLocation(0, QXSF_TemporaryFolder);
  const ScratchFile bitmap(files::createTempFileExt(folder, "pic", "bmp"));
  if (bitmap.path().empty() || !convert(source, bitmap.path())) return nullptr;
  return loadPictureFile(bitmap.path());
}

bool pngToBitmap(const std::string& source, const std::string& bitmap) {
  return Rastell2_PngToBmp(ansi::fromUtf8(source).c_str(), ansi::fromUtf8(bitmap).c_str(), 0) != 0;
}

// The component is created on first use and kept for the thread.
Object pictureConverter() {
  return sharedObject("picture conversion",
                      [] { return createObject(picconv::kPictureConverterProgId); });
}

}  // namespace

Object QX_File_LoadPicture(QX_File_Utils& utils, const std::string& v_strFileName) {
  return QX_File_LoadPicture2(utils, v_strFileName, false, 0, 0, 255, 255, 255);
}

Object QX_File_LoadPicture2(QX_File_Utils& utils, const std::string& v_strFileName,
                            bool v_bKeepAspectRatio, int32_t v_pixX, int32_t v_pixY, int32_t r,
                            int32_t g, int32_t b) {
  try {
    if (containsNoCase(v_strFileName, ".png")) {
      return loadThroughBitmap(utils, v_strFileName, pngToBitmap);
    }
    if (containsNoCase(v_strFileName, ".svg")) {
      return loadThroughBitmap(
          utils, v_strFileName, [&](const std::string& source, const std::string& bitmap) {
            return CBool(pictureConverter()->call(
                "SvgToBitmap",
                {Variant(source), Variant(bitmap), Variant(v_bKeepAspectRatio), Variant(v_pixX),
                 Variant(v_pixY), Variant(r), Variant(g), Variant(b)}));
          });
    }
    return loadPictureFile(v_strFileName);
  } catch (...) {
    return nullptr;
  }
}

namespace {

void addPictureMembers(DispatchTable& table) {
  Members<QX_File_Utils>(table)
      .method(
          "QX_File_LoadPicture", {in("v_strFileName")},
          [](QX_File_Utils& u, CallArgs& a) { return Variant(QX_File_LoadPicture(u, a.str(0))); })
      .method("QX_File_LoadPicture2",
              {in("v_strFileName"), in("v_bKeepAspectRatio"), in("v_pixX"), in("v_pixY"), in("r"),
               in("g"), in("b")},
              [](QX_File_Utils& u, CallArgs& a) {
                return Variant(QX_File_LoadPicture2(u, a.str(0), a.boolean(1), a.lng(2), a.lng(3),
                                                    a.lng(4), a.lng(5), a.lng(6)));
              });
}

[[maybe_unused]] const bool registered = addMemberExtension("QX_File_Utils", addPictureMembers);

}  // namespace

}  // namespace qxvb
