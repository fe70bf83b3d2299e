// The XML form of a diagram of the second notation (a .dgx file): a
// header element u1, the drawing element u2 whose Size gives the drawing's
// width and height in twips, and inside it the shapes and links with their
// positions in twips from the drawing's top left corner.
#pragma once

#include <cstdint>
#include <string>

#include "components/qxhost/diagram_model.h"

namespace qxvb::qxhost {

// Twips per repository unit: a unit is a pixel at 96 pixels per inch.
inline constexpr int32_t kTwipsPerUnit = 15;

// The document for a diagram read with its symbols and lines.
std::string dgxDocument(const DiagramModel& diagram);

}  // namespace qxvb::qxhost
