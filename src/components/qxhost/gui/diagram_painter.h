// How the host draws a diagram: containers, then the lines between
// related symbols, then the symbols as boxes with their names, a
// decomposition mark on symbols with related diagrams and a red mark on
// symbols with a problem.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QSizeF>

#include "components/qxhost/diagram_model.h"

namespace qxvb::qxhost {

// Paints region (repository units) of the diagram stretched onto a
// surface of target pixels, over a white background.
void paintDiagram(QPainter& painter, const DiagramModel& diagram, const QRectF& region,
                  const QSizeF& target);

// Where the problem mark of a symbol is drawn, in repository units.
QRectF problemMark(const SymbolModel& symbol);

}  // namespace qxvb::qxhost
