// The host's drawing functions: a diagram into a Windows bitmap file or an
// SVG file with problem markers, registered with the host's objects.
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <new>

#include "components/qxhost/diagram_drawing.h"
#include "components/qxhost/gui/diagram_painter.h"
#include "components/qxhost/host_codes.h"
#include "platform/atomic_file.h"
#include "platform/text/xml_text.h"
#include "ui/picture/gui_application.h"

namespace qxvb::qxhost {

namespace {

// The margin around the drawing extent in SVG files, as bitmaps have it.
constexpr int32_t kSvgMargin = 50;
// The attribute that carries a problem's text on its marker.
constexpr const char* kProblemAttribute = "data-qx-problem";

int32_t writeFile(const std::string& file, std::string_view bytes) {
  const int error = platform::writeFileAtomically(file, bytes);
  return error == 0 ? code::kSuccess : code::fromErrno(error);
}

void put(std::string& out, size_t at, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The image as an uncompressed 24-bit Windows bitmap, rows bottom-up.
std::string bitmapBytes(const QImage& image) {
  constexpr uint32_t kHeaders = 14 + 40;
  constexpr uint32_t kPixelsPerMetre = 3780;  // 96 pixels per inch
  const auto width = static_cast<uint32_t>(image.width());
  const auto height = static_cast<uint32_t>(image.height());
  const uint32_t stride = (width * 3 + 3) / 4 * 4;
  std::string out(kHeaders + static_cast<size_t>(stride) * height, '\0');
  out[0] = 'B';
  out[1] = 'M';
  put(out, 2, static_cast<uint32_t>(out.size()), 4);
  put(out, 10, kHeaders, 4);
  put(out, 14, 40, 4);
  put(out, 18, width, 4);
  put(out, 22, height, 4);
  put(out, 26, 1, 2);
  put(out, 28, 24, 2);
  put(out, 34, stride * height, 4);
  put(out, 38, kPixelsPerMetre, 4);
  put(out, 42, kPixelsPerMetre, 4);
  for (uint32_t y = 0; y < height; ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(static_cast<int>(y)));
    char* row = out.data() + kHeaders + static_cast<size_t>(stride) * (height - 1 - y);
    for (uint32_t x = 0; x < width; ++x, row += 3) {
      row[0] = static_cast<char>(qBlue(in[x]));
      row[1] = static_cast<char>(qGreen(in[x]));
      row[2] = static_cast<char>(qRed(in[x]));
    }
  }
  return out;
}

int32_t drawBitmapFile(const DiagramModel& diagram, const Rect& region, int32_t width,
                       int32_t height, const std::string& file) {
  gui::ensureGuiApplication();
  QImage image;
  try {
    image = QImage(width, height, QImage::Format_RGB32);
  } catch (const std::bad_alloc&) {
    return code::kNotEnoughMemory;
  }
  if (image.isNull()) return code::kNotEnoughMemory;
  {
    QPainter painter(&image);
    paintDiagram(painter, diagram,
                 QRectF(QPointF(region.left, region.top), QPointF(region.right, region.bottom)),
                 QSizeF(width, height));
  }
  std::string bytes;
  try {
    bytes = bitmapBytes(image);
  } catch (const std::bad_alloc&) {
    return code::kNotEnoughMemory;
  }
  return writeFile(file, bytes);
}

// The markers, one group per symbol with a problem: a red circle with the
// problem as its tooltip and as the marker attribute.
QByteArray problemMarkers(const DiagramModel& diagram, const Rect& area) {
  std::string out;
  for (const SymbolModel& s : diagram.symbols) {
    if (s.problem.empty()) continue;
    const QRectF mark = problemMark(s).translated(-area.left, -area.top);
    const std::string text = xmlAttributeText(s.problem);
    out += "<g class=\"qx-problem\" ";
    out += kProblemAttribute;
    out += "=\"" + text + "\" data-qx-symbol=\"" + std::to_string(s.id) + "\">";
    out += "<title>" + text + "</title>";
    out += "<circle cx=\"" + QString::number(mark.center().x()).toStdString() + "\" cy=\"" +
           QString::number(mark.center().y()).toStdString() + "\" r=\"" +
           QString::number(mark.width() / 2).toStdString() +
           "\" fill=\"#d02121\" stroke=\"#ffffff\" stroke-width=\"1.5\"/>";
    out += "</g>\n";
  }
  return QByteArray::fromStdString(out);
}

int32_t drawSvg(const DiagramModel& diagram, const std::string& file) {
  gui::ensureGuiApplication();
  Rect area = diagram.extent();
  area.left = std::max(0, area.left - kSvgMargin);
  area.top = std::max(0, area.top - kSvgMargin);
  area.right += kSvgMargin;
  area.bottom += kSvgMargin;
  const QSize size(area.right - area.left, area.bottom - area.top);
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(QString::fromStdString(diagram.name));
    generator.setDescription(QString::fromStdString(diagram.typeName));
    QPainter painter(&generator);
    paintDiagram(painter, diagram,
                 QRectF(QPointF(area.left, area.top), QPointF(area.right, area.bottom)),
                 QSizeF(size));
  }
  const qsizetype end = bytes.lastIndexOf("</svg>");
  if (end < 0) return code::kWriteFault;
  bytes.insert(end, problemMarkers(diagram, area));
  return writeFile(file, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

[[maybe_unused]] const bool registered = setDiagramDrawing(DiagramDrawing{drawBitmapFile, drawSvg});

}  // namespace

}  // namespace qxvb::qxhost
