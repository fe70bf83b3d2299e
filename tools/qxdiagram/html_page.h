// The web pages qxdiagram writes: one page per diagram showing its picture
// with a clickable image map built from the hotspot map, and an index.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace qxdiagram {

struct DiagramInfo {
  int32_t id = 0;
  std::string name;
  std::string typeName;
};

// One clickable area of a picture.
struct Area {
  int32_t symbolId = 0;
  std::string name;
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  std::vector<DiagramInfo> related;  // in the map's order
};

std::string pageName(int32_t ddid);
std::string pictureName(int32_t ddid, const std::string& extension);

// The text made safe for HTML content and attribute values.
std::string htmlText(const std::string& text);

// The page of a diagram. Each area links to the page of its first related
// diagram that is among linkable; the others are named in its title.
std::string diagramPage(const DiagramInfo& diagram, const std::string& picture, int32_t width,
                        int32_t height, const std::vector<Area>& areas,
                        const std::set<int32_t>& linkable);

struct IndexEntry {
  DiagramInfo diagram;
  bool exported = false;
};
std::string indexPage(const std::string& title, const std::vector<IndexEntry>& entries);

}  // namespace qxdiagram
