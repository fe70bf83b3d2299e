// How the host draws: the graphical module supplies the drawing functions
// when it is linked in, so the host's objects stay free of the toolkit.
#pragma once

#include <cstdint>
#include <string>

#include "components/qxhost/diagram_model.h"

namespace qxvb::qxhost {

struct DiagramDrawing {
  // Draws region of the diagram stretched to width by height pixels into a
  // Windows bitmap file; answers a host code (host_codes.h).
  int32_t (*bitmap)(const DiagramModel& diagram, const Rect& region, int32_t width, int32_t height,
                    const std::string& file) = nullptr;
  // Writes the diagram as an SVG file with a marker on every symbol that
  // has a problem; answers a host code.
  int32_t (*svg)(const DiagramModel& diagram, const std::string& file) = nullptr;
};

// Registers the drawing functions; call during static initialisation.
bool setDiagramDrawing(const DiagramDrawing& drawing);
// The registered functions; members are null when none are registered.
const DiagramDrawing& diagramDrawing();

}  // namespace qxvb::qxhost
