#include "components/glyvel/gui/glyvel.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <algorithm>
#include <cstring>
#include <string>

#include "text/product_setting.h"
#include "ui/picture/gui_application.h"

namespace qxvb::glyvel {

namespace {

constexpr const char* kSection = "Glyvel";

std::string setting(const char* item) {
  try {
    return productSetting(item, kSection, 255).value_or(std::string());
  } catch (...) {
    return {};
  }
}

QFont desktopFont(int32_t kind) {
  gui::ensureGuiApplication();
  if (kind == kMenuFont && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
    return QApplication::font("QMenu");
  }
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}

}  // namespace

}  // namespace qxvb::glyvel

extern "C" int32_t Glyvel_GetQXFont(int32_t kind, char* name, int32_t length, int32_t* size) {
  using namespace qxvb::glyvel;
  if (name == nullptr || length <= 0 || size == nullptr) return 0;
  if (kind != kUserInterfaceFont && kind != kMenuFont) return 0;
  const bool menu = kind == kMenuFont;
  std::string face = setting(menu ? "MenuFontName" : "UIFontName");
  const std::string sizeText = setting(menu ? "MenuFontSize" : "UIFontSize");
  int32_t points = sizeText.empty() ? 0 : std::atoi(sizeText.c_str());
  if (face.empty() || points <= 0) {
    const QFont font = desktopFont(kind);
    if (face.empty()) face = font.family().toStdString();
    if (points <= 0) points = std::max(1, static_cast<int32_t>(font.pointSizeF() + 0.5));
  }
  const size_t copied = std::min(face.size(), static_cast<size_t>(length - 1));
  std::memcpy(name, face.data(), copied);
  name[copied] = '\0';
  *size = points;
  return 1;
}

extern "C" int32_t Glyvel_bApplyFontLocalisation() {
  const std::string value = qxvb::glyvel::setting("ApplyFontLocalisation");
  return value.empty() || std::atoi(value.c_str()) != 0 ? 1 : 0;
}
