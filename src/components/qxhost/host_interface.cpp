#include "components/qxhost/host_interface.h"

#include <filesystem>

#include "ado/connection.h"
#include "ado/recordset.h"
#include "components/qxhost/dgx_file.h"
#include "components/qxhost/diagram_drawing.h"
#include "components/qxhost/host_application.h"
#include "components/qxhost/host_codes.h"
#include "components/qxhost/model_tables.h"
#include "components/qxhost/running_host.h"
#include "frame/automation_error.h"
#include "frame/vb_conversions.h"
#include "platform/atomic_file.h"
#include "platform/unicode.h"

namespace qxvb::qxhost {

namespace {

// The text as a C string in a buffer of size characters.
int32_t fillBuffer(const std::string& text, std::string& buffer, int32_t size) {
  if (size <= 0) return -1;
  std::string cut;
  int32_t count = 0;
  for (size_t i = 0; i < text.size() && count < size - 1;) {
    size_t next = i + 1;
    while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
    cut.append(text, i, next - i);
    ++count;
    i = next;
  }
  buffer = cut;
  buffer += '\0';
  return count;
}

std::string symbolField(const SymbolModel& s, int32_t diagramId, int32_t field, bool& known) {
  known = true;
  switch (field) {
    case symbol_field::kName:
      return s.name;
    case symbol_field::kTypeNumber:
      return std::to_string(s.type);
    case symbol_field::kTypeName:
      return s.typeName;
    case symbol_field::kFlags:
      return flagText(s.flags);
    case symbol_field::kLeft:
      return std::to_string(s.rect.left);
    case symbol_field::kTop:
      return std::to_string(s.rect.top);
    case symbol_field::kRight:
      return std::to_string(s.rect.right);
    case symbol_field::kBottom:
      return std::to_string(s.rect.bottom);
    case symbol_field::kLevel:
      return std::to_string(s.level);
    case symbol_field::kProblem:
      return s.problem;
    case symbol_field::kId:
      return std::to_string(s.id);
    case symbol_field::kDiagramId:
      return std::to_string(diagramId);
    default:
      known = false;
      return {};
  }
}

std::string diagramField(const DiagramModel& d, int32_t field, bool& known) {
  known = true;
  switch (field) {
    case diagram_field::kName:
      return d.name;
    case diagram_field::kTypeNumber:
      return std::to_string(d.type);
    case diagram_field::kTypeName:
      return d.typeName;
    case diagram_field::kLeft:
      return std::to_string(d.page.left);
    case diagram_field::kTop:
      return std::to_string(d.page.top);
    case diagram_field::kRight:
      return std::to_string(d.page.right);
    case diagram_field::kBottom:
      return std::to_string(d.page.bottom);
    case diagram_field::kSecondNotation:
      return d.secondNotation ? "1" : "0";
    case diagram_field::kId:
      return std::to_string(d.id);
    default:
      known = false;
      return {};
  }
}

}  // namespace

HostInterface::HostInterface(const std::shared_ptr<HostApplication>& application)
    : application_(application) {}

std::shared_ptr<HostRepository> HostInterface::repository() const {
  const auto application = application_.lock();
  return application ? application->repository() : nullptr;
}

int32_t HostInterface::QXIsThisaZEBDiagramType(int32_t type, bool& isSecondNotation) {
  const auto repo = repository();
  isSecondNotation = repo && isSecondNotationType(repo->connection(), type);
  return code::kSuccess;
}

int32_t HostInterface::QXGetDiagramGeometry(int32_t window, int32_t& left, int32_t& top,
                                            int32_t& right, int32_t& bottom) {
  const auto diagram = diagramInWindow(window);
  if (!diagram) return code::kInvalidWindowHandle;
  const Rect extent = diagram->extent();
  left = extent.left;
  top = extent.top;
  right = extent.right;
  bottom = extent.bottom;
  return code::kSuccess;
}

int32_t HostInterface::QXCreateDiagramBitMap(int32_t window, int32_t left, int32_t top,
                                             int32_t right, int32_t bottom, int32_t width,
                                             int32_t height, const std::string& file) {
  const auto diagram = diagramInWindow(window);
  if (!diagram) return code::kInvalidWindowHandle;
  if (width <= 0 || height <= 0 || right <= left || bottom <= top || file.empty()) {
    return code::kInvalidParameter;
  }
  if (static_cast<int64_t>(width) * height > bitmapAreaLimit()) return code::kBitmapTooLarge;
  const DiagramDrawing& drawing = diagramDrawing();
  if (drawing.bitmap == nullptr) return code::kNotImplemented;
  return drawing.bitmap(*diagram, {left, top, right, bottom}, width, height, file);
}

int32_t HostInterface::QXFindSymbol(int32_t window, int32_t& position, int32_t& symbolId) {
  const auto diagram = diagramInWindow(window);
  if (!diagram) return code::kInvalidWindowHandle;
  if (position < 0 || static_cast<size_t>(position) >= diagram->symbols.size()) {
    return code::kNoMoreItems;
  }
  symbolId = diagram->symbols[static_cast<size_t>(position)].id;
  ++position;
  return code::kSuccess;
}

int32_t HostInterface::openSymbol(std::shared_ptr<const DiagramModel> diagram, int32_t symbolId) {
  if (!diagram) return 0;
  const SymbolModel* symbol = diagram->symbol(symbolId);
  if (symbol == nullptr) return 0;
  const int32_t handle = nextHandle_++;
  symbols_[handle] = OpenSymbol{std::move(diagram), symbol};
  return handle;
}

int32_t HostInterface::QXOpenSymbol(int32_t window, int32_t symbolId) {
  return openSymbol(diagramInWindow(window), symbolId);
}

std::shared_ptr<const DiagramModel> HostInterface::diagramOfSymbol(int32_t symbolId) {
  const auto repo = repository();
  if (!repo) return nullptr;
  auto rows = repo->connection().Execute("SELECT DiagramID FROM Symbol WHERE DDID = " +
                                         std::to_string(symbolId));
  if (rows->Eof()) return nullptr;
  const int32_t ddid = CLng(rows->Collect(Variant("DiagramID")));
  if (auto shown = diagramInWindow(windowOf(repo->location(), ddid))) return shown;
  if (readFrom_ != repo->location()) {
    read_.clear();
    readFrom_ = repo->location();
  }
  auto& cached = read_[ddid];
  if (!cached) {
    std::optional<DiagramModel> diagram = readDiagram(repo->connection(), ddid);
    if (!diagram) return nullptr;
    cached = std::make_shared<const DiagramModel>(std::move(*diagram));
  }
  return cached;
}

int32_t HostInterface::QXOpenSymbolByID(int32_t symbolId) {
  try {
    return openSymbol(diagramOfSymbol(symbolId), symbolId);
  } catch (const AutomationError&) {
    return 0;
  }
}

int32_t HostInterface::QXGetSymbolField(int32_t symbol, int32_t field, std::string& buffer,
                                        int32_t size) {
  const auto found = symbols_.find(symbol);
  if (found == symbols_.end()) return -1;
  bool known = false;
  const std::string text =
      symbolField(*found->second.symbol, found->second.diagram->id, field, known);
  return known ? fillBuffer(text, buffer, size) : -1;
}

int32_t HostInterface::QXCloseSymbol(int32_t symbol) {
  return symbols_.erase(symbol) != 0 ? code::kSuccess : code::kInvalidHandle;
}

int32_t HostInterface::QXFindRelatedId(int32_t symbol, int32_t& position, int32_t& ddid) {
  const auto found = symbols_.find(symbol);
  if (found == symbols_.end()) return code::kInvalidHandle;
  const std::vector<int32_t>& related = found->second.symbol->related;
  if (position < 0 || static_cast<size_t>(position) >= related.size()) return code::kNoMoreItems;
  ddid = related[static_cast<size_t>(position)];
  ++position;
  return code::kSuccess;
}

int32_t HostInterface::QXOpenDiagram(int32_t ddid) {
  try {
    const auto repo = repository();
    if (!repo) return 0;
    std::optional<DiagramModel> header = readDiagramHeader(repo->connection(), ddid);
    if (!header) return 0;
    header->page = drawingExtent(repo->connection(), *header);
    const int32_t handle = nextHandle_++;
    diagrams_[handle] = std::move(*header);
    return handle;
  } catch (const AutomationError&) {
    return 0;
  }
}

int32_t HostInterface::QXGetDiagramField(int32_t diagram, int32_t field, std::string& buffer,
                                         int32_t size) {
  const auto found = diagrams_.find(diagram);
  if (found == diagrams_.end()) return -1;
  bool known = false;
  const std::string text = diagramField(found->second, field, known);
  return known ? fillBuffer(text, buffer, size) : -1;
}

int32_t HostInterface::QXCloseDiagram(int32_t diagram) {
  return diagrams_.erase(diagram) != 0 ? code::kSuccess : code::kInvalidHandle;
}

int32_t HostInterface::QXFileExport(const std::string& file, const Object& diagram) {
  const auto host = std::dynamic_pointer_cast<HostDiagram>(diagram);
  if (!host || file.empty()) return code::kInvalidParameter;
  if (!host->header().secondNotation) return code::kInvalidFunction;
  try {
    std::optional<DiagramModel> full =
        readDiagram(host->repository()->connection(), host->header().id);
    if (!full) return code::kInvalidParameter;
    // The export folder is the host's own; it is made on first use.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ignored);
    const int error = platform::writeFileAtomically(file, dgxDocument(*full));
    return error == 0 ? code::kSuccess : code::fromErrno(error);
  } catch (const AutomationError&) {
    return code::kInvalidParameter;
  }
}

int32_t HostInterface::QXDiagramToSVG(const std::string& file, int32_t window) {
  const auto diagram = diagramInWindow(window);
  if (!diagram) return code::kInvalidWindowHandle;
  if (file.empty()) return code::kInvalidParameter;
  const DiagramDrawing& drawing = diagramDrawing();
  if (drawing.svg == nullptr) return code::kNotImplemented;
  return drawing.svg(*diagram, file);
}

// --- members -----------------------------------------------------------------

namespace {

// A by-reference Long argument's value, 0 when left empty.
int32_t longArgument(const CallArgs& a, size_t i) {
  return a[i].isEmpty() ? 0 : a.lng(i);
}

// Sets a by-reference string buffer to the text the host wrote.
Variant bufferCall(CallArgs& a, int32_t written, const std::string& buffer) {
  if (written >= 0) a.set(2, Variant(buffer));
  return Variant(written);
}

}  // namespace

const DispatchTable& HostInterface::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("IQXIMF");
    Members<HostInterface>(t)
        .method("QXIsThisaZEBDiagramType", {in("lngType"), ref("blnIsZEB")},
                [](HostInterface& h, CallArgs& a) {
                  bool zeb = false;
                  const int32_t result = h.QXIsThisaZEBDiagramType(a.lng(0), zeb);
                  a.set(1, Variant(zeb));
                  return Variant(result);
                })
        .method("QXGetDiagramGeometry",
                {in("hWnd"), ref("lngLeft"), ref("lngTop"), ref("lngRight"), ref("lngBottom")},
                [](HostInterface& h, CallArgs& a) {
                  int32_t l = 0, t = 0, r = 0, b = 0;
                  const int32_t result = h.QXGetDiagramGeometry(a.lng(0), l, t, r, b);
                  if (result == code::kSuccess) {
                    a.set(1, Variant(l));
                    a.set(2, Variant(t));
                    a.set(3, Variant(r));
                    a.set(4, Variant(b));
                  }
                  return Variant(result);
                })
        .method<&HostInterface::QXCreateDiagramBitMap>(
            "QXCreateDiagramBitMap",
            {in("hWnd"), in("lngLeft"), in("lngTop"), in("lngRight"), in("lngBottom"),
             in("lngPixelWidth"), in("lngPixelHeight"), in("strFileName")})
        .method("QXFindSymbol", {in("hWnd"), ref("lngPosition"), ref("lngSymbolID")},
                [](HostInterface& h, CallArgs& a) {
                  int32_t position = longArgument(a, 1);
                  int32_t id = 0;
                  const int32_t result = h.QXFindSymbol(a.lng(0), position, id);
                  a.set(1, Variant(position));
                  if (result == code::kSuccess) a.set(2, Variant(id));
                  return Variant(result);
                })
        .method<&HostInterface::QXOpenSymbol>("QXOpenSymbol", {in("hWnd"), in("lngSymbolID")})
        .method<&HostInterface::QXOpenSymbolByID>("QXOpenSymbolByID", {in("lngSymbolID")})
        .method("QXGetSymbolField",
                {in("hSymbol"), in("lngField"), ref("strBuffer"), in("lngBufferLength")},
                [](HostInterface& h, CallArgs& a) {
                  std::string buffer;
                  const int32_t n = h.QXGetSymbolField(a.lng(0), a.lng(1), buffer, a.lng(3));
                  return bufferCall(a, n, buffer);
                })
        .method<&HostInterface::QXCloseSymbol>("QXCloseSymbol", {in("hSymbol")})
        .method("QXFindRelatedId", {in("hSymbol"), ref("lngPosition"), ref("lngDDID")},
                [](HostInterface& h, CallArgs& a) {
                  int32_t position = longArgument(a, 1);
                  int32_t id = 0;
                  const int32_t result = h.QXFindRelatedId(a.lng(0), position, id);
                  a.set(1, Variant(position));
                  if (result == code::kSuccess) a.set(2, Variant(id));
                  return Variant(result);
                })
        .method<&HostInterface::QXOpenDiagram>("QXOpenDiagram", {in("lngDDID")})
        .method("QXGetDiagramField",
                {in("hDiagram"), in("lngField"), ref("strBuffer"), in("lngBufferLength")},
                [](HostInterface& h, CallArgs& a) {
                  std::string buffer;
                  const int32_t n = h.QXGetDiagramField(a.lng(0), a.lng(1), buffer, a.lng(3));
                  return bufferCall(a, n, buffer);
                })
        .method<&HostInterface::QXCloseDiagram>("QXCloseDiagram", {in("hDiagram")})
        .method<&HostInterface::QXFileExport>("QXFileExport", {in("strFileName"), in("objDiagram")})
        .method<&HostInterface::QXDiagramToSVG>("QXDiagramToSVG",
                                                {ref("strFileName"), ref("hWnd")});
    return t;
  }();
  return table;
}

}  // namespace qxvb::qxhost
