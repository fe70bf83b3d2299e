// Text fitted and drawn on device contexts: members of QXUtilities.
#include <QString>

#include "frame/member_extensions.h"
#include "text/gui/text_for_size.h"
#include "text/qxutilities.h"
#include "ui/app/extension_state.h"
#include "ui/device_context/device_context.h"

namespace qxvb::gui {

namespace {

using Self = QXUtilities;

void setFont(Self& self, int32_t hdc, const std::string& face, int32_t size) {
  ExtensionState& state = extensionState(self);
  const int32_t font = dc::createFont(face, size);
  const int32_t previous = dc::selectFont(hdc, font);
  state.createdFont = font;
  state.previousFont = previous < 0 ? -1 : previous;
}

void removeFont(Self& self, int32_t hdc) {
  ExtensionState& state = extensionState(self);
  if (state.previousFont >= 0) dc::selectFont(hdc, state.previousFont);
  if (state.createdFont != 0) dc::deleteFont(state.createdFont);
  state.createdFont = 0;
  state.previousFont = -1;
}

void addTextDrawingMembers(DispatchTable& table) {
  Members<Self>(table)
      .method("QXGetTextForSize",
              {in("v_hdc"), in("v_strText"), in("v_lngMaxLen"), in("v_blnEllipsisSuffix")},
              [](Self&, CallArgs& a) {
                QString text;
                try {
                  text = textForSize(a.lng(0), QString::fromStdString(a.str(1)), a.lng(2),
                                     a.boolean(3));
                } catch (...) {
                }
                return Variant(text.toStdString());
              })
      .method("QXSetFont", {ref("lngDC"), ref("strFontName"), ref("intFontSize")},
              [](Self& self, CallArgs& a) {
                setFont(self, a.lng(0), a.str(1), a.integer(2));
                return Variant();
              })
      .method("QXRemoveFont", {ref("lngDC")},
              [](Self& self, CallArgs& a) {
                removeFont(self, a.lng(0));
                return Variant();
              })
      .method("QXDrawText",
              {ref("strText"), ref("intX"), ref("intY"), ref("lngDC"), ref("lngColour"),
               optRef("strFontName", Variant("")), optRef("intFontSize", Variant(int16_t{-1})),
               optRef("lngBackColour", Variant(0)), optRef("blnOpaque", Variant(false))},
              [](Self& self, CallArgs& a) {
                const int32_t hdc = a.lng(3);
                const std::string face = a.str(5);
                const int16_t size = a.integer(6);
                const bool ownFont = !face.empty() && size >= 1;
                if (ownFont) setFont(self, hdc, face, size);
                if (a.boolean(8)) {
                  dc::setBackMode(hdc, dc::kOpaque);
                  dc::setBackColour(hdc, a.lng(7));
                } else {
                  dc::setBackMode(hdc, dc::kTransparent);
                }
                dc::setTextColour(hdc, a.lng(4));
                dc::textOut(hdc, a.integer(1), a.integer(2), QString::fromStdString(a.str(0)));
                if (ownFont) removeFont(self, hdc);
                return Variant();
              });
}

[[maybe_unused]] const bool registered = addMemberExtension("QXUtilities", addTextDrawingMembers);

}  // namespace

}  // namespace qxvb::gui
