#include "diagram/second_notation.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <cstdlib>

#include "diagram/bitmap_sizes.h"
#include "diagram/dgx_drawing.h"
#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"
#include "platform/text/ascii.h"
#include "ui/picture/gui_application.h"

namespace qxvb::diagram {

namespace {

constexpr double kTwipsPerInch = 1440.0;
// The library draws these itself, with no host to refuse a size: a bound on
// the memory one drawing may take (256 MB at four bytes a pixel).
constexpr int64_t kLargestDrawing = int64_t{64} * 1024 * 1024;

// Twips per pixel of the screen, across and down (15 at 96 pixels per inch).
std::pair<double, double> twipsPerPixel() {
  gui::ensureGuiApplication();
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double x = screen != nullptr ? screen->logicalDotsPerInchX() : 96.0;
  const double y = screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
  return {kTwipsPerInch / (x > 0 ? x : 96.0), kTwipsPerInch / (y > 0 ? y : 96.0)};
}

Variant call(const Object& target, const char* member, std::vector<Variant> args) {
  return invokeWith(target, member, args);
}

std::string attribute(const Object& element, const char* name) {
  const Variant value = call(element, "getAttribute", {Variant(name)});
  return value.isNull() ? std::string() : CStr(value);
}

// "width,height" (a blank may stand for the comma).
bool parseSize(const std::string& text, double& width, double& height) {
  const size_t split = text.find_first_of(", ");
  if (split == std::string::npos) return false;
  return parseNumber(text.substr(0, split), width) && parseNumber(text.substr(split + 1), height) &&
         width > 0 && height > 0;
}

double twipsAttribute(const Object& element, const char* name, double twipsPerPixel) {
  return Val(attribute(element, name)) / twipsPerPixel;
}

// The shapes and links of the file, in pixels at scale 1.
DgxDrawing drawingOf(const Object& doc, double twipsX, double twipsY) {
  DgxDrawing drawing;
  const Object shapes = CObj(call(doc, "selectNodes", {Variant("//u2/Shape")}));
  const int32_t count = CLng(shapes->getProperty("length"));
  for (int32_t i = 0; i < count; ++i) {
    const Object shape = CObj(call(shapes, "item", {Variant(i)}));
    drawing.shapes.push_back({CLng(Variant(Val(attribute(shape, "ID")))),
                              QString::fromStdString(attribute(shape, "Name")),
                              QRectF(QPointF(twipsAttribute(shape, "Left", twipsX),
                                             twipsAttribute(shape, "Top", twipsY)),
                                     QPointF(twipsAttribute(shape, "Right", twipsX),
                                             twipsAttribute(shape, "Bottom", twipsY)))});
  }
  const Object links = CObj(call(doc, "selectNodes", {Variant("//u2/Link")}));
  const int32_t linkCount = CLng(links->getProperty("length"));
  for (int32_t i = 0; i < linkCount; ++i) {
    const Object link = CObj(call(links, "item", {Variant(i)}));
    drawing.links.push_back({CLng(Variant(Val(attribute(link, "From")))),
                             CLng(Variant(Val(attribute(link, "To")))),
                             QString::fromStdString(attribute(link, "Name"))});
  }
  return drawing;
}

}  // namespace

bool secondNotationBitmap(const HostObjects& host, const Object& diagram,
                          const std::string& fileName, int32_t maxPixelWidth, BitmapResult& out) {
  const std::string dgx = CStr(call(diagram, "getProperty", {Variant("DGX File Name")}));
  const std::string lower = ascii::toLower(dgx);
  if (lower.size() < 4 || lower.compare(lower.size() - 4, 4, ".dgx") != 0) return false;
  if (CLng(call(host.interfaceObject, "QXFileExport", {Variant(dgx), Variant(diagram)})) != 0) {
    return false;
  }
  const Object doc = createObject("Msxml2.DOMDocument.6.0");
  doc->putProperty("async", Variant(false));
  doc->putProperty("resolveExternals", Variant(false));
  doc->putProperty("validateOnParse", Variant(false));
  if (!CBool(call(doc, "load", {Variant(dgx)}))) return false;
  const Variant page = call(doc, "selectSingleNode", {Variant("//u2")});
  const Object pageNode = CObj(page);
  if (!pageNode) return false;
  double widthTwips = 0;
  double heightTwips = 0;
  if (!parseSize(attribute(pageNode, "Size"), widthTwips, heightTwips)) return false;
  const auto [twipsX, twipsY] = twipsPerPixel();
  const Extent extent{0, 0, roundHalfEven(widthTwips / twipsX),
                      roundHalfEven(heightTwips / twipsY)};
  const double scale = scaleFor(extent.width(), maxPixelWidth);
  const PixelSize pixels = scaled(extent, scale);
  const auto width = asLong(pixels.width);
  const auto height = asLong(pixels.height);
  const auto right = asLong(extent.right);
  const auto bottom = asLong(extent.bottom);
  if (!width || !height || !right || !bottom || *width <= 0 || *height <= 0 ||
      pixels.area() > kLargestDrawing) {
    return false;
  }
  if (!writeDgxBitmap(drawingOf(doc, twipsX, twipsY), scale, *width, *height, fileName)) {
    return false;
  }
  out = BitmapResult{*width, *height, 0, 0, *right, *bottom, scale};
  return true;
}

}  // namespace qxvb::diagram
