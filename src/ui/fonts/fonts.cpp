#include "ui/fonts/fonts.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "components/glyvel/gui/glyvel.h"
#include "frame/string_table.h"
#include "text/product_setting.h"
#include "ui/picture/gui_application.h"

namespace qxvb::gui {

namespace {

constexpr int32_t kOfficeItemText = 55811;
constexpr int32_t kOfficeSectionText = 55812;

std::string localeLanguage() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      std::string locale = value;
      return locale.substr(0, locale.find_first_of(".@"));
    }
  }
  return "C";
}

double logicalDpi() {
  ensureGuiApplication();
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
}

}  // namespace

int32_t localeCodePage() {
  const std::string locale = localeLanguage();
  const std::string language = locale.substr(0, locale.find('_'));
  if (language == "ru" || language == "uk" || language == "bg" || language == "be" ||
      language == "sr" || language == "mk") {
    return 1251;
  }
  if (language == "ja") return 932;
  if (language == "zh") {
    const bool traditional = locale == "zh_TW" || locale == "zh_HK" || locale == "zh_MO";
    return traditional ? 950 : 936;
  }
  if (language == "ko") return 949;
  for (const char* central : {"cs", "pl", "hu", "sk", "sl", "hr", "ro", "sq", "bs"}) {
    if (language == central) return 1250;
  }
  if (language == "el") return 1253;
  if (language == "tr" || language == "az") return 1254;
  if (language == "he") return 1255;
  if (language == "ar" || language == "fa" || language == "ur") return 1256;
  if (language == "et" || language == "lv" || language == "lt") return 1257;
  if (language == "vi") return 1258;
  return 1252;
}

int16_t charSetOfCodePage(int32_t codePage) {
  switch (codePage) {
    case 932:
      return 128;
    case 936:
      return 134;
    case 949:
      return 129;
    case 950:
      return 136;
    case 1250:
      return 238;
    case 1251:
      return 204;
    case 1253:
      return 161;
    case 1254:
      return 162;
    case 1255:
      return 177;
    case 1256:
      return 178;
    case 1257:
      return 186;
    case 1258:
      return 163;
    default:
      return 0;
  }
}

bool productFont(int32_t kind, std::string& name, int32_t& size, int16_t& charSet) {
  try {
    char buffer[64] = {};
    int32_t points = 0;
    Glyvel_GetQXFont(kind, buffer, sizeof buffer, &points);
    name.assign(buffer, strnlen(buffer, sizeof buffer));
    size = points;
    charSet = charSetOfCodePage(localeCodePage());
    return !name.empty() && size > 0;
  } catch (...) {
    return false;
  }
}

double vbFontSize(const std::string& /*face*/, int32_t size) {
  const double dpi = logicalDpi();
  const double pixels = std::round(size * dpi / 72.0);
  // The standard font object keeps sizes in units of 1/10000 point.
  return std::round(pixels * 72.0 / dpi * 10000.0) / 10000.0;
}

void applyFormLanguage(QWidget& form) {
  try {
    if (Glyvel_bApplyFontLocalisation() == 0) return;
    std::string name;
    int32_t size = 0;
    int16_t charSet = 0;
    productFont(glyvel::kUserInterfaceFont, name, size, charSet);
    if (name.empty() || size <= 0) return;
    QFont font(QString::fromStdString(name));
    font.setPointSize(size);
    form.setFont(font);
  } catch (...) {
  }
}

std::string localValueForMSOffice(const std::string& englishValue) {
  try {
    const auto value = productSetting(localString(kOfficeItemText) + englishValue,
                                      localString(kOfficeSectionText), 64);
    if (value) return *value;
  } catch (...) {
  }
  return englishValue;
}

}  // namespace qxvb::gui
