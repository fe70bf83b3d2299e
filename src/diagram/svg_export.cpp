#include "diagram/svg_export.h"

#include <optional>

#include "diagram/host_access.h"
#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "platform/regular_file.h"

namespace qxvb::diagram {

namespace {

constexpr int32_t kProblemHeading = 17065;
constexpr int32_t kMarkerAttribute = 55351;
constexpr int32_t kMarkerQuery = 56085;
constexpr size_t kLargestSvg = 256u << 20;

Variant call(const Object& target, const char* member, std::vector<Variant> args) {
  return invokeWith(target, member, args);
}

// The problems marked in the written file, as the message lists them.
std::string markedProblems(const std::string& svg, const Object& diagram,
                           const std::string& fileName) {
  const Object doc = createObject("Msxml2.DOMDocument.6.0");
  doc->putProperty("async", Variant(false));
  doc->putProperty("resolveExternals", Variant(false));
  doc->putProperty("validateOnParse", Variant(false));
  if (!CBool(call(doc, "loadXML", {Variant(svg)}))) return {};
  const Object markers = CObj(call(doc, "selectNodes", {Variant(localString(kMarkerQuery))}));
  const int32_t count = CLng(markers->getProperty("length"));
  const std::string attribute = localString(kMarkerAttribute);
  std::string message;
  for (int32_t i = 0; i < count; ++i) {
    const Object marker = CObj(call(markers, "item", {Variant(i)}));
    if (message.empty()) {
      message = formatLocalString(localString(kProblemHeading), diagram->getProperty("Name"),
                                  diagram->getProperty("TypeName"), Variant(fileName)) +
                "\r\n";
    } else {
      message += "\r\n";
    }
    const Variant text = call(marker, "getAttribute", {Variant(attribute)});
    if (!text.isNull()) message += CStr(text);
  }
  return message;
}

}  // namespace

int32_t diagramToSvg(int32_t ddid, const std::string& fileName, std::string& errorMessage) {
  errorMessage.clear();
  int32_t result = 1;
  try {
    const std::optional<HostObjects> host = reachHost();
    if (!host) return result;
    const FetchedDiagram fetched = fetchDiagram(*host, ddid);
    if (fetched.secondNotation) return result;
    {
      const DiagramWindow window(fetched.diagram);
      result = 2;
      std::vector<Variant> args{Variant(fileName), Variant(window.handle())};
      if (CLng(invokeWith(host->interfaceObject, "QXDiagramToSVG", args)) != 0) return result;
    }
    result = 3;
    std::string svg;
    if (platform::readRegularFile(fileName, svg, kLargestSvg) != 0) return result;
    errorMessage = markedProblems(svg, fetched.diagram, fileName);
    if (errorMessage.empty()) result = 0;
  } catch (const std::exception&) {
    // The result is the stage reached.
  }
  return result;
}

}  // namespace qxvb::diagram
