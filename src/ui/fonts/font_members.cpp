// Fonts, the form language set-up and the tooltip as members of QXUtilities.
#include <string>

#include "components/glyvel/gui/glyvel.h"
#include "frame/dispatch.h"
#include "frame/member_extensions.h"
#include "frame/vb_conversions.h"
#include "text/qxutilities.h"
#include "ui/app/extension_state.h"
#include "ui/app/gui_thread.h"
#include "ui/fonts/fonts.h"
#include "ui/tooltip/tooltip_window.h"

namespace qxvb::gui {

namespace {

using Self = QXUtilities;

Variant fontMember(int32_t kind, CallArgs& a) {
  std::string name;
  int32_t size = 0;
  int16_t charSet = 0;
  const bool ok = productFont(kind, name, size, charSet);
  a.set(0, Variant(name));
  a.set(1, Variant(size));
  a.set(2, Variant(charSet));
  return Variant(ok);
}

// Applies the user-interface font to an automation object's Font.
void applyToFontOf(Dispatch& object, const std::string& name, int32_t size, int16_t charSet) {
  try {
    const Object font = CObj(object.getProperty("Font"));
    if (!font) return;
    font->putProperty("Charset", Variant(charSet));
    font->putProperty("Name", Variant(name));
    font->putProperty("Size", Variant(size));
  } catch (...) {
  }
}

void formLanguageSetUp(const Object& obj) {
  if (!obj || Glyvel_bApplyFontLocalisation() == 0) return;
  std::string name;
  int32_t size = 0;
  int16_t charSet = 0;
  if (!productFont(glyvel::kUserInterfaceFont, name, size, charSet)) return;
  applyToFontOf(*obj, name, size, charSet);
  // A form: each of its controls that has a font.
  try {
    const Object controls = CObj(obj->getProperty("Controls"));
    if (!controls) return;
    const int32_t count = CLng(controls->getProperty("Count"));
    for (int32_t i = 1; i <= count; ++i) {
      try {
        const Object control = CObj(controls->call("Item", {Variant(i)}));
        if (control) applyToFontOf(*control, name, size, charSet);
      } catch (...) {
      }
    }
  } catch (...) {
  }
}

void addFontMembers(DispatchTable& table) {
  Members<Self>(table)
      .method("GetQXFont", {ref("QXFontName"), ref("QXFontSize"), ref("QXCharSet")},
              [](Self&, CallArgs& a) { return fontMember(glyvel::kUserInterfaceFont, a); })
      .method("GetQXMenuFont", {ref("QXFontName"), ref("QXFontSize"), ref("QXCharSet")},
              [](Self&, CallArgs& a) { return fontMember(glyvel::kMenuFont, a); })
      .method("GetQXVBFontSize", {in("strFont"), in("lSize")},
              [](Self&, CallArgs& a) { return Variant(vbFontSize(a.str(0), a.lng(1))); })
      .method("QXFormLanguageSetUp", {ref("obj")},
              [](Self&, CallArgs& a) {
                try {
                  formLanguageSetUp(CObj(a[0]));
                } catch (...) {
                }
                return Variant();
              })
      .method("QXGetLocalValueForMSOffice", {in("v_strDefaultEnglishSettingValue")},
              [](Self&, CallArgs& a) { return Variant(localValueForMSOffice(a.str(0))); })
      .method("QXShowToolTip", {in("v_lngHwnd"), in("v_strTipText"), in("v_blnShow")},
              [](Self& self, CallArgs& a) {
                requireWindowThread("QXShowToolTip");
                ExtensionState& state = extensionState(self);
                if (!state.tooltip) state.tooltip = std::make_unique<TooltipWindow>();
                state.tooltip->setTarget(a.lng(0));
                state.tooltip->setTipText(a.str(1));
                const bool show = a.boolean(2);
                state.tooltip->display(show);
                // Showing False unloads the form.
                if (!show) state.tooltip.reset();
                processPendingEvents();
                return Variant();
              });
}

[[maybe_unused]] const bool registered = addMemberExtension("QXUtilities", addFontMembers);

}  // namespace

}  // namespace qxvb::gui
