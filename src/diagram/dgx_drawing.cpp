#include "diagram/dgx_drawing.h"

#include <QFont>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPolygonF>
#include <new>

#include "ui/picture/bitmap_file.h"
#include "ui/picture/gui_application.h"

namespace qxvb::diagram {

namespace {

const QColor kInk(0x2F, 0x3B, 0x4A);
const QColor kFill(0xFF, 0xF2, 0xCC);

// Where the line from the box's centre towards target leaves the box.
QPointF edgeToward(const QRectF& box, const QPointF& target) {
  const QPointF c = box.center();
  const QPointF d = target - c;
  if (d.isNull()) return c;
  const double sx = d.x() != 0 ? box.width() / 2 / std::abs(d.x()) : 1e300;
  const double sy = d.y() != 0 ? box.height() / 2 / std::abs(d.y()) : 1e300;
  const double s = std::min({sx, sy, 1.0});
  return c + d * s;
}

void drawLink(QPainter& p, const QRectF& from, const QRectF& to, const QString& name) {
  const QPointF a = edgeToward(from, to.center());
  const QPointF b = edgeToward(to, from.center());
  p.setPen(QPen(kInk, 1.5));
  p.drawLine(a, b);
  QLineF back(b, a);
  if (back.length() >= 1) {
    back.setLength(9);
    QPolygonF head;
    QLineF side = back;
    side.setAngle(back.angle() + 25);
    head << b << side.p2();
    side.setAngle(back.angle() - 25);
    head << side.p2();
    p.setBrush(kInk);
    p.drawPolygon(head);
  }
  if (!name.isEmpty()) {
    const QPointF mid = (a + b) / 2;
    p.drawText(QRectF(mid.x() - 60, mid.y() - 18, 120, 14), Qt::AlignCenter, name);
  }
}

}  // namespace

bool writeDgxBitmap(const DgxDrawing& drawing, double scale, int width, int height,
                    const std::string& file) {
  gui::ensureGuiApplication();
  QImage image;
  try {
    image = QImage(width, height, QImage::Format_RGB32);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (image.isNull()) return false;
  image.fill(Qt::white);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    p.setFont(font);
    std::map<int, QRectF> boxes;
    for (const DgxDrawing::Shape& s : drawing.shapes) boxes[s.id] = s.box;
    for (const DgxDrawing::Link& l : drawing.links) {
      const auto from = boxes.find(l.from);
      const auto to = boxes.find(l.to);
      if (from != boxes.end() && to != boxes.end()) drawLink(p, from->second, to->second, l.name);
    }
    font.setPixelSize(12);
    p.setFont(font);
    for (const DgxDrawing::Shape& s : drawing.shapes) {
      const double round = std::min(s.box.height(), s.box.width()) / 2;
      p.setPen(QPen(kInk, 1.5));
      p.setBrush(kFill);
      p.drawRoundedRect(s.box, round, round);
      p.drawText(s.box.adjusted(6, 2, -6, -2), Qt::AlignCenter | Qt::TextWordWrap, s.name);
    }
  }
  return gui::writeBitmapFile(image, QString::fromStdString(file));
}

}  // namespace qxvb::diagram
