#include "components/qxhost/diagram_drawing.h"

#include <cerrno>

#include "components/qxhost/host_codes.h"

namespace qxvb::qxhost {

namespace {
DiagramDrawing& registered() {
  static DiagramDrawing drawing;
  return drawing;
}
}  // namespace

bool setDiagramDrawing(const DiagramDrawing& drawing) {
  registered() = drawing;
  return true;
}

const DiagramDrawing& diagramDrawing() {
  return registered();
}

int32_t code::fromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return kAccessDenied;
    case ENOMEM:
      return kNotEnoughMemory;
    default:
      return kWriteFault;
  }
}

}  // namespace qxvb::qxhost
