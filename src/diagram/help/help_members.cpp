// Help and the host connection as members of QXUtilities: the product's
// documentation opened at a topic, the viewer closed, and the connection
// string taken from the host's connection text.
#include <array>
#include <memory>
#include <string>

#include "components/help_viewer/help_viewer.h"
#include "diagram/help/help.h"
#include "frame/catalogue.h"
#include "frame/member_extensions.h"
#include "frame/string_table.h"
#include "text/product_setting.h"
#include "text/qxutilities.h"
#include "ui/app/extension_state.h"
#include "ui/window_helpers/shell_and_wait.h"

namespace qxvb::gui {

namespace {

constexpr int32_t kSectionText = 55028;
constexpr int32_t kModeContext = 4;
constexpr int32_t kModeTopic = 5;

// Topics no longer shipped; the viewer opens at its start page instead.
const std::array<const char*, 4> kRetiredTopics = {
    "/com.brackwell.quillane.datautilities.doc/topics/c_Working_with_Models.html",
    "/com.brackwell.quillane.datautilities.help/topics/c_Working_with_Models.html",
    "/com.brackwell.quillane.tembra.doc/topics/c_Tembra_Overview.html",
    "/com.brackwell.quillane.oom.doc/topics/c_XSD_Overview.html",
};

// An item of the product's section of the default settings file.
std::string productItem(const char* item) {
  return productSetting(item, localString(kSectionText), 4096).value_or(std::string());
}

// The documentation viewer program: item "HelpViewer", else xdg-open.
std::string viewerProgram() {
  const std::string program = productItem("HelpViewer");
  return program.empty() ? help_viewer::kDefaultProgram : program;
}

}  // namespace

bool isRetiredTopic(const std::string& topic) {
  for (const char* retired : kRetiredTopics) {
    if (topic == retired) return true;
  }
  return false;
}

std::string QX_GetConnectStringFromQX(const std::string& strCon) {
  const size_t bar = strCon.find('|');
  return bar == std::string::npos ? strCon : strCon.substr(bar + 1);
}

bool QX_Util_Help(QXUtilities& self, int32_t mode, std::string& helpId, int32_t /*parent*/) {
  if (!helpId.empty() && mode == kModeTopic && isRetiredTopic(helpId)) helpId.clear();
  const std::string root = productItem("Help");
  if (root.empty()) return false;
  const bool withTopic = (mode == kModeContext || mode == kModeTopic) && !helpId.empty();
  const help_viewer::Viewer viewer =
      help_viewer::show(viewerProgram(), root + (withTopic ? helpId : ""));
  if (viewer.program.empty()) return false;
  ExtensionState& state = extensionState(self);
  state.viewerProgram = viewer.program;
  state.viewerFolder = viewer.folder;
  return true;
}

void QX_Util_CloseHelp(QXUtilities& self) {
  ExtensionState& state = extensionState(self);
  if (state.viewerProgram.empty()) return;
  startDetached(help_viewer::closeCommandLine({state.viewerProgram, state.viewerFolder}));
}

namespace {

void addHelpMembers(DispatchTable& table) {
  Members<QXUtilities>(table)
      .method("QX_Util_Help",
              {optRef("eHelpMode", Variant(0)), optRef("szHelpID", Variant("")),
               optRef("lParentWnd", Variant(0))},
              [](QXUtilities& self, CallArgs& a) {
                std::string id = a.str(1);
                const bool shown = QX_Util_Help(self, a.lng(0), id, a.lng(2));
                if (!a.missing(1)) a.set(1, Variant(id));
                return Variant(shown);
              })
      .method("QX_Util_CloseHelp", {},
              [](QXUtilities& self, CallArgs&) {
                QX_Util_CloseHelp(self);
                return Variant();
              })
      .method("QX_GetConnectStringFromQX", {in("strCon")}, [](QXUtilities&, CallArgs& a) {
        return Variant(QX_GetConnectStringFromQX(a.str(0)));
      });
}

[[maybe_unused]] const bool registered = addMemberExtension("QXUtilities", addHelpMembers);

}  // namespace

}  // namespace qxvb::gui
