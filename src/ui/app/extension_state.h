// What the graphical module keeps per QXUtilities instance: the temporary
// font of QXSetFont, the tooltip window and the help viewer.
#pragma once

#include <memory>
#include <string>

namespace qxvb {
class QXUtilities;
}

namespace qxvb::gui {

class TooltipWindow;

struct ExtensionState {
  ExtensionState();
  ~ExtensionState();
  ExtensionState(const ExtensionState&) = delete;
  ExtensionState& operator=(const ExtensionState&) = delete;

  // QXSetFont: the font it selected and the one selected before (device
  // context font handles; 0 for none, and -1 for no previous font).
  int32_t createdFont = 0;
  int32_t previousFont = -1;
  std::unique_ptr<TooltipWindow> tooltip;
  // The documentation viewer started from this instance.
  std::string viewerProgram;
  std::string viewerFolder;
};

ExtensionState& extensionState(QXUtilities& utilities);

}  // namespace qxvb::gui
