#include "ui/app/extension_state.h"

#include "text/qxutilities.h"
#include "ui/tooltip/tooltip_window.h"

namespace qxvb::gui {

ExtensionState::ExtensionState() = default;
ExtensionState::~ExtensionState() = default;

ExtensionState& extensionState(QXUtilities& utilities) {
  std::shared_ptr<void>& slot = utilities.extensionState();
  if (!slot) slot = std::make_shared<ExtensionState>();
  return *static_cast<ExtensionState*>(slot.get());
}

}  // namespace qxvb::gui
