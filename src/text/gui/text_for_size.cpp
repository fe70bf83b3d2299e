#include "text/gui/text_for_size.h"

#include <QFontMetrics>
#include <vector>

#include "ui/device_context/device_context.h"

namespace qxvb::gui {

QString textForSize(const QString& text, int32_t maxWidth, bool ellipsis,
                    const std::function<std::optional<int>(const QString&)>& measure) {
  if (text.isEmpty()) return {};
  const QString suffix = ellipsis ? QStringLiteral("...") : QString();
  QString result = text;
  const auto width = measure(text);
  if (!width || *width <= maxWidth) return width ? text : QString();
  // Where each code point ends, so that surrogate pairs stay whole.
  std::vector<qsizetype> ends;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (!(text[i].isHighSurrogate() && i + 1 < text.size())) ends.push_back(i + 1);
  }
  for (size_t n = ends.size(); n >= 2; --n) {
    const QString candidate = text.left(ends[n - 1]) + suffix;
    const auto w = measure(candidate);
    if (!w) break;
    result = candidate;
    if (*w <= maxWidth) break;
  }
  return result;
}

QString textForSize(int32_t hdc, const QString& text, int32_t maxWidth, bool ellipsis) {
  const auto font = dc::fontOf(hdc);
  if (!font || text.isEmpty()) return {};
  const QFontMetrics metrics(*font);
  if (metrics.horizontalAdvance(text) <= maxWidth) return text;
  const QString suffix = ellipsis ? QStringLiteral("...") : QString();
  std::vector<qsizetype> ends;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (!(text[i].isHighSurrogate() && i + 1 < text.size())) ends.push_back(i + 1);
  }
  if (ends.size() < 2) return text;
  const auto candidate = [&](size_t n) { return text.left(ends[n - 1]) + suffix; };
  const auto fits = [&](size_t n) { return metrics.horizontalAdvance(candidate(n)) <= maxWidth; };
  // The walk from the longest head down stops at the longest head that
  // fits; a head's width grows with its length, so it is found by halving.
  size_t low = 2, high = ends.size();
  if (!fits(low)) return candidate(2);
  while (low < high) {
    const size_t middle = low + (high - low + 1) / 2;
    if (fits(middle)) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  return candidate(low);
}

}  // namespace qxvb::gui
