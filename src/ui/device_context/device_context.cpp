#include "ui/device_context/device_context.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>
#include <mutex>

#include "ui/app/gui_thread.h"
#include "ui/app/owner_window.h"
#include "ui/picture/gui_application.h"

namespace qxvb::gui::dc {

namespace {

constexpr int32_t kMaxSide = 16384;

// What a window surface shows over its window: the drawing, on a
// transparent child that lets the mouse through.
class Overlay : public QWidget {
 public:
  explicit Overlay(QWidget* window) : QWidget(window) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(window->rect());
    show();
  }
  QImage image;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.drawImage(0, 0, image);
  }
};

struct Surface {
  QImage image;
  QPointer<Overlay> overlay;
  int32_t font = 0;
  QColor text = Qt::black;
  QColor back = Qt::white;
  int32_t backMode = kOpaque;
};

struct Tables {
  std::mutex lock;
  std::map<int32_t, Surface> surfaces;
  std::map<int32_t, QFont> fonts;
  // Handles look like the platform's: non-zero, growing, never reused.
  int32_t nextSurface = 0x10010;
  int32_t nextFont = 0x0A0010;
};

Tables& tables() {
  static Tables t;
  return t;
}

QFont defaultFont() {
  ensureGuiApplication();
  return QApplication::font();
}

QFont fontFor(const Tables& t, const Surface& s) {
  if (s.font != 0) {
    const auto it = t.fonts.find(s.font);
    if (it != t.fonts.end()) return it->second;
  }
  return defaultFont();
}

int32_t addSurface(Surface s) {
  Tables& t = tables();
  std::lock_guard<std::mutex> hold(t.lock);
  const int32_t handle = t.nextSurface++;
  t.surfaces.emplace(handle, std::move(s));
  return handle;
}

void showOnWindow(Surface& s) {
  if (s.overlay) {
    s.overlay->image = s.image;
    s.overlay->update();
  }
}

}  // namespace

QColor oleColour(int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  if ((v & 0x80000000u) != 0) {
    ensureGuiApplication();
    const QPalette palette = QGuiApplication::palette();
    switch (v & 0xFF) {
      case 5:
        return palette.color(QPalette::Base);  // window
      case 8:
        return palette.color(QPalette::Text);  // window text
      case 13:
        return palette.color(QPalette::Highlight);  // highlight
      case 14:
        return palette.color(QPalette::HighlightedText);
      case 15:
        return palette.color(QPalette::Button);  // button face
      case 18:
        return palette.color(QPalette::ButtonText);
      case 17:
        return palette.color(QPalette::PlaceholderText);  // grey text
      case 23:
        return palette.color(QPalette::ToolTipText);
      case 24:
        return palette.color(QPalette::ToolTipBase);
      default:
        return palette.color(QPalette::Window);
    }
  }
  return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                static_cast<int>((v >> 16) & 0xFF));
}

int32_t toOleColour(QColor colour) {
  return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

int32_t createImageDC(int32_t width, int32_t height, int32_t background) {
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return 0;
  Surface s;
  s.image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
  if (s.image.isNull()) return 0;
  s.image.fill(oleColour(background));
  return addSurface(std::move(s));
}

int32_t createWindowDC(int32_t hwnd) {
  QWidget* window = ownWidgetOf(hwnd);
  if (window == nullptr) return 0;
  Surface s;
  s.image = QImage(window->size(), QImage::Format_ARGB32_Premultiplied);
  s.image.fill(Qt::transparent);
  s.overlay = new Overlay(window);
  return addSurface(std::move(s));
}

bool deleteDC(int32_t hdc) {
  Tables& t = tables();
  QPointer<Overlay> overlay;
  {
    std::lock_guard<std::mutex> hold(t.lock);
    const auto it = t.surfaces.find(hdc);
    if (it == t.surfaces.end()) return false;
    overlay = it->second.overlay;
    t.surfaces.erase(it);
  }
  if (overlay && applicationOnThisThread()) delete overlay.data();
  return true;
}

std::optional<QImage> imageOf(int32_t hdc) {
  Tables& t = tables();
  std::lock_guard<std::mutex> hold(t.lock);
  const auto it = t.surfaces.find(hdc);
  if (it == t.surfaces.end()) return std::nullopt;
  return it->second.image.copy();
}

int32_t createFont(const std::string& face, int32_t height) {
  ensureGuiApplication();
  QFont font(QString::fromStdString(face));
  // The platform's cell height (positive) or character height (negative),
  // both in pixels on a screen surface.
  if (height != 0) font.setPixelSize(std::max(1, std::abs(height)));
  font.setWeight(QFont::Normal);
  Tables& t = tables();
  std::lock_guard<std::mutex> hold(t.lock);
  const int32_t handle = t.nextFont++;
  t.fonts.emplace(handle, font);
  return handle;
}

bool deleteFont(int32_t font) {
  Tables& t = tables();
  std::lock_guard<std::mutex> hold(t.lock);
  return t.fonts.erase(font) > 0;
}

int32_t selectFont(int32_t hdc, int32_t font) {
  Tables& t = tables();
  std::lock_guard<std::mutex> hold(t.lock);
  const auto it = t.surfaces.find(hdc);
  if (it == t.surfaces.end() || (font != 0 && t.fonts.count(font) == 0)) return -1;
  const int32_t previous = it->second.font;
  it->second.font = font;
  return previous;
}

int32_t selectedFont(int32_t hdc) {
  Tables& t = tables();
  std::lock_guard<std::mutex> hold(t.lock);
  const auto it = t.surfaces.find(hdc);
  return it == t.surfaces.end() ? -1 : it->second.font;
}

namespace {

template <class F>
bool withSurface(int32_t hdc, F&& f) {
  Tables& t = tables();
  std::lock_guard<std::mutex> hold(t.lock);
  const auto it = t.surfaces.find(hdc);
  if (it == t.surfaces.end()) return false;
  f(t, it->second);
  return true;
}

}  // namespace

bool setTextColour(int32_t hdc, int32_t colour) {
  const QColor c = oleColour(colour);
  return withSurface(hdc, [&](Tables&, Surface& s) { s.text = c; });
}

bool setBackColour(int32_t hdc, int32_t colour) {
  const QColor c = oleColour(colour);
  return withSurface(hdc, [&](Tables&, Surface& s) { s.back = c; });
}

bool setBackMode(int32_t hdc, int32_t mode) {
  if (mode != kOpaque && mode != kTransparent) return false;
  return withSurface(hdc, [&](Tables&, Surface& s) { s.backMode = mode; });
}

std::optional<QFont> fontOf(int32_t hdc) {
  std::optional<QFont> font;
  withSurface(hdc, [&](Tables& t, Surface& s) { font = fontFor(t, s); });
  return font;
}

std::optional<int> textWidth(int32_t hdc, const QString& text) {
  const auto font = fontOf(hdc);
  if (!font) return std::nullopt;
  return QFontMetrics(*font).horizontalAdvance(text);
}

bool textOut(int32_t hdc, int32_t x, int32_t y, const QString& text) {
  ensureGuiApplication();
  bool toWindow = false;
  const bool known = withSurface(hdc, [&](Tables& t, Surface& s) {
    const QFont font = fontFor(t, s);
    const QFontMetrics metrics(font);
    QPainter p(&s.image);
    p.setFont(font);
    const QRect box(x, y, metrics.horizontalAdvance(text), metrics.height());
    if (s.backMode == kOpaque) p.fillRect(box, s.back);
    p.setPen(s.text);
    p.drawText(QPoint(x, y + metrics.ascent()), text);
    toWindow = static_cast<bool>(s.overlay);
  });
  if (toWindow && applicationOnThisThread()) {
    withSurface(hdc, [](Tables&, Surface& s) { showOnWindow(s); });
  }
  return known;
}

}  // namespace qxvb::gui::dc
