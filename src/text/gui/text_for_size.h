// QXGetTextForSize: the longest head of a text, with an optional "...",
// that fits into a width on a device context.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace qxvb::gui {

// Measures candidates with measure (nullopt = the measurement failed) in
// this order until one is at most maxWidth wide or a measurement fails: the
// whole text, then its first n characters plus the suffix for n = L down to
// 2; the answer is the last candidate measured (the text itself for one
// character, "" for none). Characters are code points.
QString textForSize(const QString& text, int32_t maxWidth, bool ellipsis,
                    const std::function<std::optional<int>(const QString&)>& measure);

// The same on a device context, measured with the font selected into it;
// "" for an unknown handle. Long texts are searched by halving, which
// finds the same head as the walk since a head's width grows with it.
QString textForSize(int32_t hdc, const QString& text, int32_t maxWidth, bool ellipsis);

}  // namespace qxvb::gui
