#include "components/picture_conversion/gui/picture_converter.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "frame/catalogue.h"
#include "platform/regular_file.h"
#include "ui/picture/bitmap_file.h"
#include "ui/picture/gui_application.h"

namespace qxvb::picconv {

namespace {

// Larger files are not taken for drawings: they are read whole.
constexpr std::size_t kLargestSvgFile = std::size_t{64} << 20;

int32_t proportional(int32_t side, int32_t otherNatural, int32_t natural) {
  const double value = std::round(static_cast<double>(side) * otherNatural / natural);
  return value > kLargestSide ? kLargestSide + 1 : std::max(1, static_cast<int32_t>(value));
}

QRectF drawingRect(const QSize& image, const QSizeF& natural, bool keepAspectRatio) {
  const QRectF whole(0, 0, image.width(), image.height());
  if (!keepAspectRatio || natural.isEmpty()) return whole;
  const double scale = std::min(image.width() / natural.width(), image.height() / natural.height());
  const QSizeF drawn = natural * scale;
  return QRectF((image.width() - drawn.width()) / 2, (image.height() - drawn.height()) / 2,
                drawn.width(), drawn.height());
}

}  // namespace

QSize targetSize(int32_t naturalX, int32_t naturalY, int32_t pixX, int32_t pixY) {
  int32_t x = std::max(pixX, 0);
  int32_t y = std::max(pixY, 0);
  const bool natural = naturalX > 0 && naturalY > 0;
  if (x == 0 && y == 0 && natural) {
    x = naturalX;
    y = naturalY;
  } else if (x == 0 && natural) {
    x = proportional(y, naturalX, naturalY);
  } else if (y == 0 && natural) {
    y = proportional(x, naturalY, naturalX);
  }
  if (x <= 0 || y <= 0 || x > kLargestSide || y > kLargestSide || int64_t{x} * y > kLargestArea) {
    return {};
  }
  return QSize(x, y);
}

QColor colourFrom(int32_t r, int32_t g, int32_t b) {
  return QColor(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
}

bool isDataUri(QStringView href) {
  return href.trimmed().startsWith(u"data:", Qt::CaseInsensitive);
}

// The drawing as it is rendered: an <image> that refers to anything but a
// data URI (a local file, an address) is left out, so rendering a drawing
// never reads other files into the picture. Empty when the text is not
// well-formed XML.
QByteArray selfContained(const QByteArray& svg) {
  QXmlStreamReader reader(svg);
  QByteArray out;
  QXmlStreamWriter writer(&out);
  while (!reader.atEnd()) {
    reader.readNext();
    if (reader.isStartElement() && reader.name() == u"image") {
      const QXmlStreamAttributes attributes = reader.attributes();
      bool external = false;
      for (const QXmlStreamAttribute& attribute : attributes) {
        if (attribute.name() == u"href" && !isDataUri(attribute.value())) external = true;
      }
      if (external) {
        reader.skipCurrentElement();
        continue;
      }
    }
    if (reader.tokenType() == QXmlStreamReader::EntityReference) return {};
    // Entities were expanded while reading; the declarations are not kept.
    if (reader.isDTD()) continue;
    writer.writeCurrentToken(reader);
  }
  return reader.hasError() ? QByteArray() : out;
}

QImage renderSvg(const QByteArray& svg, int32_t pixX, int32_t pixY, bool keepAspectRatio,
                 const QColor& background) {
  // Text in a drawing needs the application's fonts.
  gui::ensureGuiApplication();
  const QByteArray drawing = selfContained(svg);
  if (drawing.isEmpty()) return {};
  QSvgRenderer renderer(drawing);
  if (!renderer.isValid()) return {};
  const QSizeF natural = renderer.viewBoxF().size();
  const QSize size =
      targetSize(renderer.defaultSize().width(), renderer.defaultSize().height(), pixX, pixY);
  if (size.isEmpty()) return {};
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) return {};
  image.fill(background);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter, drawingRect(size, natural, keepAspectRatio));
  painter.end();
  return image;
}

bool PictureConverter::SvgToBitmap(const std::string& v_strSvgFile,
                                   const std::string& v_strBitmapFile, bool v_bKeepAspectRatio,
                                   int32_t v_pixX, int32_t v_pixY, int32_t r, int32_t g,
                                   int32_t b) {
  // Only a regular file is read (a FIFO or device is refused at once).
  std::string bytes;
  if (v_strBitmapFile.empty() ||
      platform::readRegularFile(v_strSvgFile, bytes, kLargestSvgFile) != 0) {
    return false;
  }
  const QImage image = renderSvg(QByteArray::fromStdString(bytes), v_pixX, v_pixY,
                                 v_bKeepAspectRatio, colourFrom(r, g, b));
  if (image.isNull()) return false;
  return gui::writeBitmapFile(image, QString::fromStdString(v_strBitmapFile));
}

const DispatchTable& PictureConverter::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("PictureConverter");
    Members<PictureConverter>(t).method<&PictureConverter::SvgToBitmap>(
        "SvgToBitmap", {in("v_strSvgFile"), in("v_strBitmapFile"), in("v_bKeepAspectRatio"),
                        in("v_pixX"), in("v_pixY"), in("r"), in("g"), in("b")});
    return t;
  }();
  return table;
}

Object makePictureConverter() {
  return std::make_shared<PictureConverter>();
}

namespace {

// Registered when the graphical module is loaded.
[[maybe_unused]] const bool registered = [] {
  ClassInfo info;
  info.name = "PictureConverter";
  info.progId = kPictureConverterProgId;
  info.instancing = Instancing::MultiUse;
  info.factory = makePictureConverter;
  info.partOfLibrary = false;
  Catalogue::instance().add(std::move(info));
  return true;
}();

}  // namespace

}  // namespace qxvb::picconv
