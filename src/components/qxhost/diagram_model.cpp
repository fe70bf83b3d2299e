#include "components/qxhost/diagram_model.h"

#include <algorithm>
#include <cstdio>

namespace qxvb::qxhost {

Rect unite(const Rect& a, const Rect& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

Rect DiagramModel::extent() const {
  Rect all = page;
  for (const SymbolModel& s : symbols) all = unite(all, s.rect);
  return all;
}

const SymbolModel* DiagramModel::symbol(int32_t symbolId) const {
  for (const SymbolModel& s : symbols) {
    if (s.id == symbolId) return &s;
  }
  return nullptr;
}

namespace {
bool holds(const Rect& outer, const Rect& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
         outer.bottom >= inner.bottom;
}
}  // namespace

void computeNestingLevels(DiagramModel& diagram) {
  for (SymbolModel& s : diagram.symbols) {
    s.level = 0;
    for (const SymbolModel& c : diagram.symbols) {
      if (&c != &s && (c.flags & symbol_flags::kContainer) != 0 && holds(c.rect, s.rect) &&
          !(c.rect == s.rect && c.id > s.id)) {
        ++s.level;
      }
    }
  }
}

std::string flagText(uint32_t flags) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", flags);
  return text;
}

}  // namespace qxvb::qxhost
