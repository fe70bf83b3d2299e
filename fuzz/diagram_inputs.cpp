// What diagram export reads from outside on arbitrary bytes: model files
// (qxrepo model) and the bitmaps the graphics converter decodes. Whatever
// the bytes, a model is accepted or refused with a message, and a bitmap
// decodes to an image or to none.
#include <cstdint>
#include <string>

#include "components/qxhost/model_file.h"
#include "components/rastell2/gui/bitmap_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    const qxvb::qxhost::ModelFile model = qxvb::qxhost::parseModel(bytes, "fuzz.xml");
    for (const auto& diagram : model.diagrams) (void)diagram.extent();
  } catch (const qxvb::qxhost::ModelError&) {
  }
  // The same bytes behind a bitmap header, so the decoder gets past it.
  (void)qxvb::rastell2::decodeBitmap(bytes);
  (void)qxvb::rastell2::decodeBitmap("BM" + bytes);
  return 0;
}
