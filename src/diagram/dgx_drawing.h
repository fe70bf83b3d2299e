// The picture of a diagram of the second notation, drawn from the shapes
// and links of its .dgx file, as the diagram's metafile would draw it.
#pragma once

#include <QRectF>
#include <QString>
#include <map>
#include <string>
#include <vector>

namespace qxvb::diagram {

struct DgxDrawing {
  struct Shape {
    int id = 0;
    QString name;
    QRectF box;  // pixels at scale 1, from the drawing's top left corner
  };
  struct Link {
    int from = 0;
    int to = 0;
    QString name;
  };
  std::vector<Shape> shapes;
  std::vector<Link> links;
};

// Draws the drawing at scale into a width by height Windows bitmap file;
// false when it cannot be made or written.
bool writeDgxBitmap(const DgxDrawing& drawing, double scale, int width, int height,
                    const std::string& file);

}  // namespace qxvb::diagram
