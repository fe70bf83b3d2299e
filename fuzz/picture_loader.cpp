// The picture loaders on arbitrary bytes: as a byte array (a picture file or
// a persisted picture stream) and as a file whose name picks the route
// (bitmap, PNG through the graphics converter, SVG through the picture
// converter). Whatever the bytes, the answer is a picture or Nothing.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/gui/load_picture.h"
#include "files/qx_file_utils.h"
#include "frame/automation_error.h"
#include "frame/variant.h"
#include "text/gui/picture_bytes.h"

namespace {

const std::filesystem::path& scratchFolder() {
  static const std::filesystem::path dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "qxvb-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return std::filesystem::path(pattern);
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  qxvb::ByteArray bytes;
  bytes.data.assign(data, data + size);
  try {
    qxvb::QX_Util_PictureFromByteArray(bytes);
  } catch (const qxvb::AutomationError&) {
  }

  static const char* const kExtensions[] = {".bmp", ".png", ".svg", ".jpg"};
  const std::filesystem::path file =
      scratchFolder() / (std::string("input") + kExtensions[data[0] % 4]);
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  }
  static qxvb::QX_File_Utils utils;
  qxvb::QX_File_LoadPicture2(utils, file.string(), true, 32, 24, 255, 255, 255);
  std::filesystem::remove(file);
  return 0;
}
