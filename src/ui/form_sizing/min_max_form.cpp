#include "ui/form_sizing/min_max_form.h"

#include <QWidget>
#include <memory>

#include "frame/dispatch.h"
#include "ui/app/owner_window.h"
#include "ui/ui_classes.h"

namespace qxvb {

namespace gui {

namespace {

// Qt's and X11's largest window size.
constexpr int kUnlimited = 16777215;
constexpr uint32_t kLargestX11Size = 32767;

}  // namespace

x11::SizeHints MinMaxLimits::limitedHints(x11::SizeHints hints, int32_t minWidth, int32_t maxWidth,
                                          int32_t minHeight, int32_t maxHeight) {
  // Words: flags, x, y, width, height, min w/h (5, 6), max w/h (7, 8).
  if (minWidth > 0 || minHeight > 0) {
    if ((hints[0] & x11::kPMinSize) == 0) hints[5] = hints[6] = 0;
    hints[0] |= x11::kPMinSize;
    if (minWidth > 0) hints[5] = static_cast<uint32_t>(minWidth);
    if (minHeight > 0) hints[6] = static_cast<uint32_t>(minHeight);
  }
  if (maxWidth > 0 || maxHeight > 0) {
    if ((hints[0] & x11::kPMaxSize) == 0) hints[7] = hints[8] = kLargestX11Size;
    hints[0] |= x11::kPMaxSize;
    if (maxWidth > 0) hints[7] = static_cast<uint32_t>(maxWidth);
    if (maxHeight > 0) hints[8] = static_cast<uint32_t>(maxHeight);
  }
  return hints;
}

void MinMaxLimits::init(int32_t window, int32_t minWidth, int32_t maxWidth, int32_t minHeight,
                        int32_t maxHeight) {
  restore();
  window_ = window;
  if (QWidget* own = ownWidgetOf(window)) {
    previousQt_ = std::array<int, 4>{own->minimumWidth(), own->maximumWidth(), own->minimumHeight(),
                                     own->maximumHeight()};
    if (minWidth > 0) own->setMinimumWidth(minWidth);
    if (maxWidth > 0) own->setMaximumWidth(maxWidth);
    if (minHeight > 0) own->setMinimumHeight(minHeight);
    if (maxHeight > 0) own->setMaximumHeight(maxHeight);
    return;
  }
  const auto id = static_cast<x11::WindowId>(window);
  previous_ = x11::normalHints(id);
  if (!previous_) return;
  x11::setNormalHints(id, limitedHints(*previous_, minWidth, maxWidth, minHeight, maxHeight));
}

void MinMaxLimits::restore() {
  if (previousQt_) {
    if (QWidget* own = ownWidgetOf(window_)) {
      own->setMinimumSize((*previousQt_)[0], (*previousQt_)[2]);
      own->setMaximumSize(std::min((*previousQt_)[1], kUnlimited),
                          std::min((*previousQt_)[3], kUnlimited));
    }
  } else if (previous_) {
    x11::setNormalHints(static_cast<x11::WindowId>(window_), *previous_);
  }
  previousQt_.reset();
  previous_.reset();
}

MinMaxLimits::~MinMaxLimits() {
  restore();
}

}  // namespace gui

namespace {

class QX_clsMinMaxFlickerFreeForm : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override {
    static const DispatchTable table = [] {
      DispatchTable t("QX_clsMinMaxFlickerFreeForm");
      Members<QX_clsMinMaxFlickerFreeForm>(t).method(
          "Init",
          {in("v_lngHwnd"), opt("v_lngMinWidthPixels", Variant(-1)),
           opt("v_lngMaxWidthPixels", Variant(-1)), opt("v_lngMinHeightPixels", Variant(-1)),
           opt("v_lngMaxHeightPixels", Variant(-1))},
          [](QX_clsMinMaxFlickerFreeForm& self, CallArgs& a) {
            self.limits_.init(a.lng(0), a.lng(1), a.lng(2), a.lng(3), a.lng(4));
            return Variant();
          });
      return t;
    }();
    return table;
  }

 private:
  gui::MinMaxLimits limits_;
};

}  // namespace

Object makeQX_clsMinMaxFlickerFreeForm() {
  return std::make_shared<QX_clsMinMaxFlickerFreeForm>();
}

}  // namespace qxvb
