#include "components/qxxres/gui/product_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include "components/qxxres/string_table_resource.h"
#include "ui/app/owner_window.h"
#include "ui/x11/x11_windows.h"

namespace qxvb::qxxres {

namespace {

constexpr int kSizes[] = {16, 32, 48};

}  // namespace

QImage productIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const double s = size;
  // A blue tile with a white quill stroke: the product's mark.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(31, 94, 168));
  p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.18, s * 0.18);
  QPainterPath quill;
  quill.moveTo(s * 0.22, s * 0.80);
  quill.cubicTo(s * 0.35, s * 0.45, s * 0.55, s * 0.22, s * 0.82, s * 0.16);
  quill.cubicTo(s * 0.74, s * 0.42, s * 0.55, s * 0.62, s * 0.30, s * 0.70);
  quill.closeSubpath();
  p.setBrush(Qt::white);
  p.drawPath(quill);
  p.setPen(QPen(QColor(255, 200, 60), std::max(1.0, s / 16)));
  p.drawLine(QPointF(s * 0.18, s * 0.86), QPointF(s * 0.34, s * 0.66));
  return image;
}

QIcon productIcon() {
  QIcon icon;
  for (const int size : kSizes) icon.addPixmap(QPixmap::fromImage(productIconImage(size)));
  return icon;
}

std::vector<uint32_t> productIconProperty() {
  std::vector<uint32_t> data;
  for (const int size : kSizes) {
    const QImage image = productIconImage(size);
    data.push_back(static_cast<uint32_t>(size));
    data.push_back(static_cast<uint32_t>(size));
    for (int y = 0; y < size; ++y) {
      const auto* line = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
      data.insert(data.end(), line, line + size);
    }
  }
  return data;
}

void setProductIcon(int32_t hwnd) {
  if (hwnd == 0) return;
  if (QWidget* own = gui::ownWidgetOf(hwnd)) {
    own->setWindowIcon(productIcon());
    return;
  }
  x11::setWindowIcon(static_cast<x11::WindowId>(hwnd), productIconProperty());
}

namespace {

[[maybe_unused]] const bool installed = setIconSetter(setProductIcon);

}  // namespace

}  // namespace qxvb::qxxres
