#include "diagram/hotspot_map.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include "diagram/host_access.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"

namespace qxvb::diagram {

namespace {

// Field numbers and buffer sizes of the host's interface.
constexpr int32_t kSymbolName = 1;
constexpr int32_t kSymbolType = 2;
constexpr int32_t kSymbolFlags = 4;
constexpr int32_t kSymbolLeft = 5;  // then top, right, bottom
constexpr int32_t kSymbolLevel = 9;
constexpr int32_t kDiagramName = 1;
constexpr int32_t kDiagramType = 2;
constexpr int32_t kDiagramLeft = 4;  // then top, right, bottom
constexpr int32_t kFlagFieldSize = 500;
constexpr int32_t kNameFieldSize = 255;
constexpr int32_t kNumberFieldSize = 32;
constexpr size_t kMostRelated = 256;
// Notes are drawn but never clickable.
constexpr uint32_t kAnnotationFlag = 0x0020;

// The low-level interface, read through handles and text fields.
class HostReader {
 public:
  explicit HostReader(Object host) : host_(std::move(host)) {}

  int32_t call(const char* member, std::vector<Variant>& args) const {
    return CLng(invokeWith(host_, member, args));
  }

  std::string field(const char* member, int32_t handle, int32_t field, int32_t size) const {
    std::vector<Variant> args{Variant(handle), Variant(field), Variant(std::string()),
                              Variant(size)};
    if (call(member, args) < 0) {
      raiseError(vberr::InvalidProcedureCall, kProjectName,
                 std::string(member) + " refused field " + std::to_string(field));
    }
    const std::string text = CStr(args[2]);
    return text.substr(0, text.find('\0'));
  }

  std::string symbolField(int32_t symbol, int32_t number, int32_t size = kNumberFieldSize) const {
    return field("QXGetSymbolField", symbol, number, size);
  }
  std::string diagramField(int32_t diagram, int32_t number) const {
    return field("QXGetDiagramField", diagram, number,
                 number == kDiagramName ? kNameFieldSize : kNumberFieldSize);
  }

  void close(const char* member, int32_t handle) const {
    std::vector<Variant> args{Variant(handle)};
    call(member, args);
  }

 private:
  Object host_;
};

// The XML document being built, late-bound as any DOM document.
class MapDocument {
 public:
  MapDocument() : doc_(createObject("Msxml2.DOMDocument.6.0")) {
    root_ = element("Hotspotmap");
    append(doc_, root_);
  }

  Object element(const char* name) const {
    std::vector<Variant> args{Variant(name)};
    return CObj(invokeWith(doc_, "createElement", args));
  }
  static void append(const Object& parent, const Object& child) {
    std::vector<Variant> args{Variant(child)};
    invokeWith(parent, "appendChild", args);
  }
  static void set(const Object& element, const char* name, const std::string& value) {
    std::vector<Variant> args{Variant(name), Variant(value)};
    invokeWith(element, "setAttribute", args);
  }
  const Object& root() const { return root_; }
  void save(const std::string& file) const {
    std::vector<Variant> args{Variant(file)};
    invokeWith(doc_, "save", args);
  }

 private:
  Object doc_;
  Object root_;
};

int32_t numberText(const std::string& text) {
  return CLng(Variant(text));
}

class MapWriter {
 public:
  MapWriter(const HostReader& host, const HotspotPlacement& placement)
      : host_(host), placement_(placement) {}

  // Adds the symbol's element unless it lies wholly outside the bitmap.
  void addSymbol(int32_t symbol, int32_t symbolId) {
    int64_t edges[4];
    for (int i = 0; i < 4; ++i) {
      const double origin =
          static_cast<double>(i % 2 == 0 ? placement_.bitmap.left : placement_.bitmap.top);
      edges[i] = roundHalfEven((numberText(host_.symbolField(symbol, kSymbolLeft + i)) - origin) *
                               placement_.scale);
    }
    const int64_t limits[4] = {placement_.pixels.width, placement_.pixels.height,
                               placement_.pixels.width, placement_.pixels.height};
    if (edges[2] <= 0 || edges[3] <= 0 || edges[0] >= limits[0] || edges[1] >= limits[1]) return;
    for (int i = 0; i < 4; ++i) edges[i] = std::clamp<int64_t>(edges[i], 0, limits[i]);

    const Object element = doc_.element("Symbol");
    MapDocument::set(element, "DDID", std::to_string(symbolId));
    MapDocument::set(element, "Name", host_.symbolField(symbol, kSymbolName, kNameFieldSize));
    MapDocument::set(element, "TypeNumber", host_.symbolField(symbol, kSymbolType));
    const char* names[4] = {"Left", "Top", "Right", "Bottom"};
    for (int i = 0; i < 4; ++i) MapDocument::set(element, names[i], std::to_string(edges[i]));
    addRelated(symbol, element);
    MapDocument::append(doc_.root(), element);
    ++written_;
  }

  void save(const std::string& file) const { doc_.save(file); }
  int32_t written() const { return written_; }

 private:
  void addRelated(int32_t symbol, const Object& parent) {
    std::vector<int32_t> related;
    std::vector<Variant> args{Variant(symbol), Variant(int32_t{0}), Variant(int32_t{0})};
    while (related.size() < kMostRelated && host_.call("QXFindRelatedId", args) == 0) {
      related.push_back(CLng(args[2]));
    }
    for (int32_t ddid : related) {
      std::vector<Variant> open{Variant(ddid)};
      const int32_t diagram = host_.call("QXOpenDiagram", open);
      if (diagram == 0) continue;
      const Object element = doc_.element("Diagram");
      MapDocument::set(element, "DDID", std::to_string(ddid));
      MapDocument::set(element, "Name", host_.diagramField(diagram, kDiagramName));
      MapDocument::set(element, "TypeNumber", host_.diagramField(diagram, kDiagramType));
      const char* names[4] = {"Left", "Top", "Right", "Bottom"};
      for (int i = 0; i < 4; ++i) {
        MapDocument::set(element, names[i], host_.diagramField(diagram, kDiagramLeft + i));
      }
      host_.close("QXCloseDiagram", diagram);
      MapDocument::append(parent, element);
    }
  }

  const HostReader& host_;
  const HotspotPlacement& placement_;
  MapDocument doc_;
  int32_t written_ = 0;
};

uint32_t flagValue(const std::string& text) {
  if (text.size() <= 2) return 0;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str() + 2, &end, 16);
  return *end == '\0' ? static_cast<uint32_t>(value) : ~0u;
}

}  // namespace

std::string hotspotFileName(const std::string& picture, const std::string& extension) {
  const size_t slash = picture.rfind('/');
  const size_t dot = picture.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? picture.substr(0, dot) : picture) + extension;
}

bool isFirstPassSymbol(const std::string& flagText) {
  return flagText == "0x0001" || (flagValue(flagText) & ~0x000Au) == 0;
}

bool writeHotspotMap(const Object& hostInterface, int32_t window, const HotspotPlacement& placement,
                     const std::string& file) {
  const HostReader host(hostInterface);
  MapWriter writer(host, placement);
  // Symbols of the second kind (containers and other marked symbols) go
  // after the others, the most deeply nested first: a page that overlays
  // the map's areas in order then finds the innermost symbol under a point.
  std::map<int32_t, std::vector<int32_t>, std::greater<>> laterByLevel;
  std::vector<Variant> find{Variant(window), Variant(int32_t{0}), Variant(int32_t{0})};
  while (host.call("QXFindSymbol", find) == 0) {
    const int32_t symbolId = CLng(find[2]);
    std::vector<Variant> open{Variant(window), Variant(symbolId)};
    const int32_t symbol = host.call("QXOpenSymbol", open);
    if (symbol == 0) continue;
    const std::string flags = host.symbolField(symbol, kSymbolFlags, kFlagFieldSize);
    if (isFirstPassSymbol(flags)) {
      writer.addSymbol(symbol, symbolId);
    } else if ((flagValue(flags) & kAnnotationFlag) == 0) {
      laterByLevel[numberText(host.symbolField(symbol, kSymbolLevel))].push_back(symbolId);
    }
    host.close("QXCloseSymbol", symbol);
  }
  for (const auto& [level, ids] : laterByLevel) {
    for (int32_t symbolId : ids) {
      std::vector<Variant> open{Variant(symbolId)};
      const int32_t symbol = host.call("QXOpenSymbolByID", open);
      if (symbol == 0) continue;
      writer.addSymbol(symbol, symbolId);
      host.close("QXCloseSymbol", symbol);
    }
  }
  if (writer.written() == 0) return false;
  writer.save(file);
  return true;
}

}  // namespace qxvb::diagram
