// The host application's model of a diagram as it holds it in memory once
// the diagram is open: its page, its symbols with their rectangles, flags
// and related diagrams, and the lines between symbols. Coordinates are
// repository units (one unit draws as one pixel at scale 1).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qxvb::qxhost {

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool operator==(const Rect&) const = default;
};

// The smallest rectangle holding both.
Rect unite(const Rect& a, const Rect& b);

// Symbol flags, as the host reports them in its flag field ("0x%04X").
namespace symbol_flags {
inline constexpr uint32_t kHasRelated = 0x0002;  // drawn with a decomposition mark
inline constexpr uint32_t kShadow = 0x0008;      // drawn with a shadow
inline constexpr uint32_t kContainer = 0x0004;   // a boundary that holds other symbols
inline constexpr uint32_t kAnnotation = 0x0020;  // a note: drawn, never a hotspot
}  // namespace symbol_flags

// Coordinates of the model stay within this magnitude, so widening an
// extent by its margin never leaves the 32-bit range.
inline constexpr int32_t kLargestCoordinate = 1'000'000'000;

struct SymbolModel {
  int32_t id = 0;
  std::string name;
  int32_t type = 0;
  std::string typeName;
  uint32_t flags = 0;
  Rect rect;
  std::string problem;           // empty: none marked
  std::vector<int32_t> related;  // identifiers of related diagrams, in order
  int32_t level = 0;             // how many containers enclose the symbol
};

struct LineModel {
  int32_t from = 0;  // symbol identifiers
  int32_t to = 0;
  std::string name;
};

struct DiagramModel {
  int32_t id = 0;
  std::string name;
  int32_t type = 0;
  std::string typeName;
  bool secondNotation = false;
  Rect page;
  std::vector<SymbolModel> symbols;  // in drawing order
  std::vector<LineModel> lines;

  // The drawing extent: the page together with every symbol on it.
  Rect extent() const;
  const SymbolModel* symbol(int32_t symbolId) const;
};

// Sets each symbol's level from the containers whose rectangles hold it.
void computeNestingLevels(DiagramModel& diagram);

// The flag field's text: "0x" and at least four upper-case hex digits.
std::string flagText(uint32_t flags);

}  // namespace qxvb::qxhost
