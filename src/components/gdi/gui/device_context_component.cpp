// QXGdi.DeviceContext: device contexts for scripts and tools, which have
// no drawing calls of their own. It makes image and window surfaces and
// gives back what was drawn as a picture or a file.
#include <QImageWriter>
#include <QString>
#include <memory>

#include "components/gdi/gui/device_context_component.h"
#include "frame/dispatch.h"
#include "ui/device_context/device_context.h"
#include "ui/picture/picture.h"

namespace qxvb::gdi {

namespace {

class DeviceContextComponent : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override {
    static const DispatchTable table = [] {
      DispatchTable t("DeviceContext");
      using Self = DeviceContextComponent;
      Members<Self>(t)
          .method("CreateDC", {in("Width"), in("Height"), opt("BackColour", Variant(0xFFFFFF))},
                  [](Self&, CallArgs& a) {
                    return Variant(gui::dc::createImageDC(a.lng(0), a.lng(1), a.lng(2)));
                  })
          .method("GetWindowDC", {in("hWnd")},
                  [](Self&, CallArgs& a) { return Variant(gui::dc::createWindowDC(a.lng(0))); })
          .method("DeleteDC", {in("hDC")},
                  [](Self&, CallArgs& a) { return Variant(gui::dc::deleteDC(a.lng(0))); })
          .method(
              "Picture", {in("hDC")},
              [](Self&, CallArgs& a) {
                const auto image = gui::dc::imageOf(a.lng(0));
                if (!image) return Variant(Object());
                return Variant(Object(makePicture(image->convertToFormat(QImage::Format_RGB32))));
              })
          .method("SaveAsFile", {in("hDC"), in("FileName")},
                  [](Self&, CallArgs& a) {
                    const auto image = gui::dc::imageOf(a.lng(0));
                    if (!image) return Variant(false);
                    QImageWriter writer(QString::fromStdString(a.str(1)));
                    return Variant(writer.write(*image));
                  })
          .method("PixelColour", {in("hDC"), in("X"), in("Y")},
                  [](Self&, CallArgs& a) {
                    const auto image = gui::dc::imageOf(a.lng(0));
                    if (!image || !image->valid(a.lng(1), a.lng(2))) return Variant(-1);
                    return Variant(gui::dc::toOleColour(image->pixelColor(a.lng(1), a.lng(2))));
                  })
          .method("TextWidth", {in("hDC"), in("Text")}, [](Self&, CallArgs& a) {
            const auto width = gui::dc::textWidth(a.lng(0), QString::fromStdString(a.str(1)));
            return Variant(static_cast<int32_t>(width.value_or(-1)));
          });
      return t;
    }();
    return table;
  }
};

}  // namespace

Object makeDeviceContextComponent() {
  return std::make_shared<DeviceContextComponent>();
}

}  // namespace qxvb::gdi
