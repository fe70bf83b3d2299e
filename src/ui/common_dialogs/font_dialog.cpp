#include "ui/common_dialogs/font_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>
#include <cmath>

#include "platform/ansi.h"
#include "ui/common_dialogs/comdlg_flags.h"
#include "ui/common_dialogs/dialog_position.h"

namespace qxvb::gui {

namespace {

// The platform dialog's colour list.
struct NamedColour {
  const char* name;
  uint32_t rgb;
};
constexpr NamedColour kColours[] = {
    {"Black", 0x000000},  {"Maroon", 0x800000},  {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080},  {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},     {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},  {"White", 0xFFFFFF},
};

QColor colourOfBgr(int32_t bgr) {
  const auto v = static_cast<uint32_t>(bgr);
  return {static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
          static_cast<int>((v >> 16) & 0xFF)};
}

int32_t bgrOf(const QColor& c) {
  return static_cast<int32_t>(static_cast<uint32_t>(c.red()) |
                              (static_cast<uint32_t>(c.green()) << 8) |
                              (static_cast<uint32_t>(c.blue()) << 16));
}

QIcon swatch(const QColor& colour) {
  QPixmap pixmap(24, 14);
  pixmap.fill(colour);
  return QIcon(pixmap);
}

// A face name as the LOGFONT field holds it: at most 31 bytes in the
// locale's character set, never cut inside a character.
std::string faceForField(std::string face) {
  while (ansi::fromUtf8(face).size() >= kFaceNameBytes && !face.empty()) {
    face.pop_back();
    while (!face.empty() && (static_cast<unsigned char>(face.back()) & 0xC0) == 0x80) {
      face.pop_back();
    }
    if (!face.empty() && (static_cast<unsigned char>(face.back()) & 0x80) != 0) face.pop_back();
  }
  return face;
}

// The family's own style of a weight and slant (upright styles of normal
// width first). The dialog picks its style by name, and a family whose
// regular style is called "Book" would otherwise start on its first style.
QString bestStyle(const QString& family, int weight, bool italic) {
  static const char* const kWidthWords[] = {"Condensed", "Narrow",   "Compressed",
                                            "Expanded",  "Extended", "Wide"};
  QString best;
  int bestScore = -1;
  for (const QString& style : QFontDatabase::styles(family)) {
    const QFont candidate = QFontDatabase::font(family, style, 10);
    int score = 0;
    if (candidate.italic() == italic) score += 16;
    score += 8 - std::min(8, std::abs(candidate.weight() - weight) / 100 * 2);
    bool normalWidth = true;
    for (const char* word : kWidthWords) {
      if (style.contains(QLatin1String(word), Qt::CaseInsensitive)) normalWidth = false;
    }
    if (normalWidth) score += 2;
    if (style == "Regular" || style == "Book" || style == "Normal" || style == "Roman") score += 1;
    if (score > bestScore) {
      bestScore = score;
      best = style;
    }
  }
  return best;
}

QFont startingFont(const FontDialogSetup& setup, int dpi) {
  QFont font = QGuiApplication::font();
  const LogFont& lf = setup.logFont;
  int points = setup.pointSize10 > 0 ? (setup.pointSize10 + 5) / 10 : 10;
  if ((setup.flags & CF_INITTOLOGFONTSTRUCT) != 0) {
    if (!lf.lfFaceName.empty()) font.setFamily(QString::fromStdString(lf.lfFaceName));
    if (lf.lfHeight != 0) points = pointsOfHeight(lf.lfHeight, dpi);
    if (lf.lfWeight != 0)
      font.setWeight(static_cast<QFont::Weight>(std::clamp(lf.lfWeight, 1, 1000)));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
  }
  font.setPointSize(std::max(points, 1));
  font.setStyleName(bestStyle(font.family(), font.weight(), font.italic()));
  return font;
}

}  // namespace

int screenDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? static_cast<int>(std::lround(screen->logicalDotsPerInchY())) : 96;
}

FontChooser::FontChooser(const FontDialogSetup& setup, int dpi) : setup_(setup), dpi_(dpi) {
  setWindowTitle("Font");
  fonts_ = new QFontDialog(this);
  fonts_->setWindowFlags(Qt::Widget);
  fonts_->setSizeGripEnabled(false);
  QFontDialog::FontDialogOptions options =
      QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog;
  if ((setup.flags & CF_FIXEDPITCHONLY) != 0) options |= QFontDialog::MonospacedFonts;
  if ((setup.flags & (CF_SCALABLEONLY | CF_TTONLY)) != 0) options |= QFontDialog::ScalableFonts;
  fonts_->setOptions(options);
  const QFont start = startingFont(setup, dpi);
  fonts_->setCurrentFont(start);
  family_ = start.family();
  weight_ = start.weight();
  italic_ = start.italic();
  // Another family keeps the weight and slant chosen so far.
  connect(fonts_, &QFontDialog::currentFontChanged, this, [this](const QFont& font) {
    if (adjusting_) return;
    if (font.family() == family_) {
      weight_ = font.weight();
      italic_ = font.italic();
      return;
    }
    family_ = font.family();
    const QString style = bestStyle(family_, weight_, italic_);
    if (style.isEmpty() || style == font.styleName()) return;
    QFont kept = font;
    kept.setStyleName(style);
    adjusting_ = true;
    fonts_->setCurrentFont(kept);
    adjusting_ = false;
  });
  // Without CF_EFFECTS the platform dialog has no strike-out, underline
  // or colour controls.
  const bool effects = (setup.flags & CF_EFFECTS) != 0;
  if (!effects) {
    for (QGroupBox* group : fonts_->findChildren<QGroupBox*>()) {
      if (!group->findChildren<QCheckBox*>().isEmpty()) group->hide();
    }
  }

  colourLabel_ = new QLabel("Colo&ur:", this);
  colours_ = new QComboBox(this);
  colourLabel_->setBuddy(colours_);
  int selected = -1;
  for (const NamedColour& c : kColours) {
    const QColor colour(QRgb(c.rgb));
    colours_->addItem(swatch(colour), c.name, bgrOf(colour));
    if (bgrOf(colour) == (setup.colour & 0xFFFFFF)) selected = colours_->count() - 1;
  }
  if (selected < 0) {
    const QColor custom = colourOfBgr(setup.colour);
    colours_->addItem(swatch(custom), "Custom", bgrOf(custom));
    selected = colours_->count() - 1;
  }
  colours_->setCurrentIndex(selected);
  auto* colourRow = new QHBoxLayout;
  colourRow->addWidget(colourLabel_);
  colourRow->addWidget(colours_);
  colourRow->addStretch(1);
  const bool showColour = effects && setup.showColour;
  colourLabel_->setVisible(showColour);
  colours_->setVisible(showColour);

  // The embedded dialog ends itself on Return in its lists and on Escape:
  // that ends this dialog.
  connect(fonts_, &QDialog::accepted, this, &FontChooser::accept);
  connect(fonts_, &QDialog::rejected, this, &QDialog::reject);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fonts_);
  layout->addLayout(colourRow);
  layout->addWidget(buttons);
}

bool FontChooser::colourShown() const {
  return !colours_->isHidden();
}

void FontChooser::accept() {
  if ((setup_.flags & CF_LIMITSIZE) != 0 && setup_.sizeMax > 0) {
    const double points = fonts_->currentFont().pointSizeF();
    if (points < setup_.sizeMin || points > setup_.sizeMax) {
      QMessageBox::warning(this, windowTitle(),
                           QString("Size must be between %1 and %2 points.")
                               .arg(setup_.sizeMin)
                               .arg(setup_.sizeMax));
      fonts_->show();
      return;
    }
  }
  QDialog::accept();
}

FontDialogAnswer FontChooser::answer() const {
  const QFont font = fonts_->currentFont();
  FontDialogAnswer a;
  const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pointSize();
  a.pointSize10 = static_cast<int32_t>(std::lround(points * 10));
  LogFont& lf = a.logFont;
  lf.lfHeight = -static_cast<int32_t>(std::lround(points * dpi_ / 72.0));
  lf.lfWeight = font.weight();
  lf.lfItalic = font.italic() ? 1 : 0;
  lf.lfUnderline = font.underline() ? 1 : 0;
  lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
  lf.lfFaceName = faceForField(font.family().toStdString());
  a.colour = colourShown() ? colours_->currentData().toInt() : setup_.colour;
  a.style = QFontDatabase::styleString(font).toStdString();
  a.fontType = static_cast<int16_t>(SCREEN_FONTTYPE |
                                    (lf.lfWeight >= 700 ? BOLD_FONTTYPE : REGULAR_FONTTYPE) |
                                    (font.italic() ? ITALIC_FONTTYPE : 0));
  return a;
}

std::optional<FontDialogAnswer> runFontDialog(const FontDialogSetup& setup, int32_t owner,
                                              bool centreOverOwner) {
  FontChooser dialog(setup, screenDpi());
  setDialogOwner(dialog, owner);
  centreWhenShown(dialog, owner, centreOverOwner);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.answer();
}

}  // namespace qxvb::gui
