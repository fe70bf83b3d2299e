#include "components/qxhost/gui/diagram_painter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <map>

namespace qxvb::qxhost {

namespace {

constexpr double kFontSize = 12.0;  // units
constexpr double kMarkSize = 14.0;

const std::array<QColor, 6> kFills = {QColor(0xDD, 0xEB, 0xF7), QColor(0xE2, 0xF0, 0xD9),
                                      QColor(0xFF, 0xF2, 0xCC), QColor(0xF8, 0xE0, 0xE6),
                                      QColor(0xE8, 0xE0, 0xF5), QColor(0xDF, 0xF3, 0xF1)};

QRectF rectOf(const Rect& r) {
  return QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom));
}

bool isContainer(const SymbolModel& s) {
  return (s.flags & symbol_flags::kContainer) != 0;
}
bool isAnnotation(const SymbolModel& s) {
  return (s.flags & symbol_flags::kAnnotation) != 0;
}

QFont unitFont(double size, bool bold = false) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(std::max(1, static_cast<int>(size)));
  font.setBold(bold);
  return font;
}

// The point where the segment from the rectangle's centre towards target
// leaves the rectangle, so lines end at the symbols' borders.
QPointF borderPoint(const QRectF& box, const QPointF& target) {
  const QPointF c = box.center();
  const double dx = target.x() - c.x();
  const double dy = target.y() - c.y();
  if (dx == 0 && dy == 0) return c;
  const double sx = dx != 0 ? (box.width() / 2) / std::abs(dx) : 1e300;
  const double sy = dy != 0 ? (box.height() / 2) / std::abs(dy) : 1e300;
  const double s = std::min({sx, sy, 1.0});
  return {c.x() + dx * s, c.y() + dy * s};
}

void drawArrowHead(QPainter& p, const QPointF& from, const QPointF& to) {
  const QLineF line(to, from);
  if (line.length() < 1) return;
  QLineF side = line;
  side.setLength(9);
  QPolygonF head;
  head << to;
  side.setAngle(line.angle() + 25);
  head << side.p2();
  side.setAngle(line.angle() - 25);
  head << side.p2();
  p.drawPolygon(head);
}

struct LineEnds {
  QPointF from;
  QPointF to;
  const LineModel* line;
};

// The lines between symbols that are both on the diagram, cut at their
// borders.
std::vector<LineEnds> lineEnds(const DiagramModel& d) {
  std::map<int32_t, QRectF> boxes;
  for (const SymbolModel& s : d.symbols) boxes[s.id] = rectOf(s.rect);
  std::vector<LineEnds> ends;
  for (const LineModel& l : d.lines) {
    const auto from = boxes.find(l.from);
    const auto to = boxes.find(l.to);
    if (from == boxes.end() || to == boxes.end()) continue;
    ends.push_back({borderPoint(from->second, to->second.center()),
                    borderPoint(to->second, from->second.center()), &l});
  }
  return ends;
}

void drawLines(QPainter& p, const std::vector<LineEnds>& lines) {
  p.setPen(QPen(QColor(0x44, 0x4F, 0x5A), 1.5));
  p.setBrush(QColor(0x44, 0x4F, 0x5A));
  for (const LineEnds& l : lines) {
    p.drawLine(l.from, l.to);
    drawArrowHead(p, l.from, l.to);
  }
}

// Names of lines go on top of everything, on a white ground.
void drawLineNames(QPainter& p, const std::vector<LineEnds>& lines) {
  const QFont font = unitFont(kFontSize - 2);
  const QFontMetricsF metrics(font);
  p.setFont(font);
  for (const LineEnds& l : lines) {
    if (l.line->name.empty()) continue;
    const QString name = QString::fromStdString(l.line->name);
    const QPointF mid = (l.from + l.to) / 2;
    const QSizeF size(metrics.horizontalAdvance(name) + 6, metrics.height() + 2);
    const QRectF label(mid - QPointF(size.width() / 2, size.height() / 2), size);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawRoundedRect(label, 3, 3);
    p.setPen(QColor(0x44, 0x4F, 0x5A));
    p.drawText(label, Qt::AlignCenter, name);
  }
}

void drawContainer(QPainter& p, const SymbolModel& s) {
  const QRectF box = rectOf(s.rect);
  p.setPen(QPen(QColor(0x6B, 0x7B, 0x8C), 1.5, Qt::DashLine));
  p.setBrush(QColor(0xF7, 0xF9, 0xFB));
  p.drawRoundedRect(box, 10, 10);
  p.setPen(QColor(0x33, 0x3D, 0x47));
  p.setFont(unitFont(kFontSize, true));
  p.drawText(box.adjusted(10, 6, -10, -6), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
             QString::fromStdString(s.name));
}

void drawAnnotation(QPainter& p, const SymbolModel& s) {
  const QRectF box = rectOf(s.rect);
  const double fold = std::min({12.0, box.width() / 3, box.height() / 3});
  QPainterPath note;
  note.moveTo(box.topLeft());
  note.lineTo(box.right() - fold, box.top());
  note.lineTo(box.right(), box.top() + fold);
  note.lineTo(box.bottomRight());
  note.lineTo(box.bottomLeft());
  note.closeSubpath();
  p.setPen(QPen(QColor(0xB0, 0xA0, 0x60), 1));
  p.setBrush(QColor(0xFF, 0xFB, 0xE6));
  p.drawPath(note);
  p.setPen(QColor(0x55, 0x4A, 0x20));
  p.setFont(unitFont(kFontSize - 1));
  p.drawText(box.adjusted(6, 4, -6, -4), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
             QString::fromStdString(s.name));
}

void drawSymbol(QPainter& p, const SymbolModel& s) {
  const QRectF box = rectOf(s.rect);
  if ((s.flags & symbol_flags::kShadow) != 0) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawRoundedRect(box.translated(4, 4), 6, 6);
  }
  const QColor fill = kFills[static_cast<size_t>(std::abs(s.type)) % kFills.size()];
  p.setPen(QPen(QColor(0x2F, 0x4B, 0x6E), 1.5));
  p.setBrush(fill);
  p.drawRoundedRect(box, 6, 6);
  p.setPen(QColor(0x1B, 0x26, 0x33));
  p.setFont(unitFont(kFontSize));
  p.drawText(box.adjusted(6, 4, -6, -4), Qt::AlignCenter | Qt::TextWordWrap,
             QString::fromStdString(s.name));
  if (!s.related.empty() || (s.flags & symbol_flags::kHasRelated) != 0) {
    // The decomposition mark: a small filled corner at the bottom right.
    QPolygonF mark;
    const double m = std::min({10.0, box.width() / 4, box.height() / 4});
    mark << QPointF(box.right() - 3, box.bottom() - 3 - m)
         << QPointF(box.right() - 3, box.bottom() - 3)
         << QPointF(box.right() - 3 - m, box.bottom() - 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2F, 0x4B, 0x6E));
    p.drawPolygon(mark);
  }
}

void drawProblemMark(QPainter& p, const SymbolModel& s) {
  const QRectF mark = problemMark(s);
  p.setPen(QPen(Qt::white, 1.5));
  p.setBrush(QColor(0xD0, 0x21, 0x21));
  p.drawEllipse(mark);
  p.setPen(Qt::white);
  p.setFont(unitFont(kMarkSize - 3, true));
  p.drawText(mark, Qt::AlignCenter, QStringLiteral("!"));
}

}  // namespace

QRectF problemMark(const SymbolModel& symbol) {
  return QRectF(symbol.rect.right - kMarkSize / 2, symbol.rect.top - kMarkSize / 2, kMarkSize,
                kMarkSize);
}

void paintDiagram(QPainter& painter, const DiagramModel& diagram, const QRectF& region,
                  const QSizeF& target) {
  painter.fillRect(QRectF(QPointF(0, 0), target), Qt::white);
  if (region.width() <= 0 || region.height() <= 0) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.scale(target.width() / region.width(), target.height() / region.height());
  painter.translate(-region.left(), -region.top());

  // Containers first, outermost first, so what they hold is drawn on top.
  std::vector<const SymbolModel*> containers;
  for (const SymbolModel& s : diagram.symbols) {
    if (isContainer(s)) containers.push_back(&s);
  }
  std::stable_sort(containers.begin(), containers.end(),
                   [](const SymbolModel* a, const SymbolModel* b) { return a->level < b->level; });
  for (const SymbolModel* s : containers) drawContainer(painter, *s);
  const std::vector<LineEnds> lines = lineEnds(diagram);
  drawLines(painter, lines);
  for (const SymbolModel& s : diagram.symbols) {
    if (isContainer(s)) continue;
    if (isAnnotation(s)) {
      drawAnnotation(painter, s);
    } else {
      drawSymbol(painter, s);
    }
  }
  drawLineNames(painter, lines);
  for (const SymbolModel& s : diagram.symbols) {
    if (!s.problem.empty()) drawProblemMark(painter, s);
  }
  painter.restore();
}

}  // namespace qxvb::qxhost
