// The host's low-level interface object ("IQXIMF"): geometry and bitmaps
// of diagram windows, symbols and related diagrams read through handles
// and text fields, SVG and second-notation exports. Every member answers a
// number (host_codes.h) or a handle rather than raising, as the product's
// host does; docs/DIAGRAMS.md lists the members and field numbers.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "components/qxhost/diagram_model.h"
#include "frame/dispatch.h"

namespace qxvb::qxhost {

class HostApplication;
class HostRepository;

// Field numbers of QXGetSymbolField.
namespace symbol_field {
inline constexpr int32_t kName = 1;
inline constexpr int32_t kTypeNumber = 2;
inline constexpr int32_t kTypeName = 3;
inline constexpr int32_t kFlags = 4;  // "0x" and four or more hex digits
inline constexpr int32_t kLeft = 5;
inline constexpr int32_t kTop = 6;
inline constexpr int32_t kRight = 7;
inline constexpr int32_t kBottom = 8;
inline constexpr int32_t kLevel = 9;  // containers enclosing the symbol
inline constexpr int32_t kProblem = 10;
inline constexpr int32_t kId = 11;
inline constexpr int32_t kDiagramId = 12;
}  // namespace symbol_field

// Field numbers of QXGetDiagramField.
namespace diagram_field {
inline constexpr int32_t kName = 1;
inline constexpr int32_t kTypeNumber = 2;
inline constexpr int32_t kTypeName = 3;
inline constexpr int32_t kLeft = 4;  // the drawing extent
inline constexpr int32_t kTop = 5;
inline constexpr int32_t kRight = 6;
inline constexpr int32_t kBottom = 7;
inline constexpr int32_t kSecondNotation = 8;  // "1" or "0"
inline constexpr int32_t kId = 9;
}  // namespace diagram_field

class HostInterface : public Dispatch {
 public:
  explicit HostInterface(const std::shared_ptr<HostApplication>& application);
  const DispatchTable& dispatchTable() const override;

  int32_t QXIsThisaZEBDiagramType(int32_t type, bool& isSecondNotation);
  int32_t QXGetDiagramGeometry(int32_t window, int32_t& left, int32_t& top, int32_t& right,
                               int32_t& bottom);
  int32_t QXCreateDiagramBitMap(int32_t window, int32_t left, int32_t top, int32_t right,
                                int32_t bottom, int32_t width, int32_t height,
                                const std::string& file);
  // Enumerates a window's symbols: position 0 starts; answers 0 and the next
  // symbol while there is one, 18 after the last.
  int32_t QXFindSymbol(int32_t window, int32_t& position, int32_t& symbolId);
  // Symbol handles, 0 when there is no such symbol.
  int32_t QXOpenSymbol(int32_t window, int32_t symbolId);
  int32_t QXOpenSymbolByID(int32_t symbolId);
  // Writes the field into buffer as a C string of at most size - 1
  // characters; answers the characters written, -1 for a bad handle or
  // field.
  int32_t QXGetSymbolField(int32_t symbol, int32_t field, std::string& buffer, int32_t size);
  int32_t QXCloseSymbol(int32_t symbol);
  // Enumerates a symbol's related diagrams as QXFindSymbol does.
  int32_t QXFindRelatedId(int32_t symbol, int32_t& position, int32_t& ddid);
  int32_t QXOpenDiagram(int32_t ddid);
  int32_t QXGetDiagramField(int32_t diagram, int32_t field, std::string& buffer, int32_t size);
  int32_t QXCloseDiagram(int32_t diagram);
  // Writes a diagram of the second notation as XML (a .dgx file).
  int32_t QXFileExport(const std::string& file, const Object& diagram);
  int32_t QXDiagramToSVG(const std::string& file, int32_t window);

 private:
  struct OpenSymbol {
    std::shared_ptr<const DiagramModel> diagram;
    const SymbolModel* symbol;
  };
  std::shared_ptr<HostRepository> repository() const;
  // The diagram holding a symbol: an open window's, else read for it.
  std::shared_ptr<const DiagramModel> diagramOfSymbol(int32_t symbolId);
  int32_t openSymbol(std::shared_ptr<const DiagramModel> diagram, int32_t symbolId);

  std::weak_ptr<HostApplication> application_;
  int32_t nextHandle_ = 1;
  std::map<int32_t, OpenSymbol> symbols_;
  std::map<int32_t, DiagramModel> diagrams_;  // handle -> diagram row with its extent
  std::map<int32_t, std::shared_ptr<const DiagramModel>> read_;  // diagrams read for symbols
  std::string readFrom_;  // the repository read_ was filled from
};

}  // namespace qxvb::qxhost
