// What the graphical module keeps per QXUtilities instance: the temporary
// font of QXSetFont, the tooltip window, the help viewer and the explorer
// icons.
#pragma once

#include <memory>
#include <string>

#include "frame/variant.h"

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
  // Explorer icons: the pictures loaded for the current repository, keyed
  // by bitmap file name, and why the last load failed.
  struct ExplorerIcons {
    bool loaded = false;
    Object icons;
    std::string lastError;
  };
  ExplorerIcons explorerIcons;
};

ExtensionState& extensionState(QXUtilities& utilities);

}  // namespace qxvb::gui
