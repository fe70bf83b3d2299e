#include "components/qxhost/dgx_file.h"

#include "platform/text/xml_text.h"

namespace qxvb::qxhost {

namespace {

std::string twips(int64_t units) {
  return std::to_string(units * kTwipsPerUnit);
}

void attribute(std::string& out, const char* name, const std::string& value) {
  out += ' ';
  out += name;
  out += "=\"";
  out += xmlAttributeText(value);
  out += '"';
}

}  // namespace

std::string dgxDocument(const DiagramModel& diagram) {
  const Rect extent = diagram.extent();
  const int64_t width = static_cast<int64_t>(extent.right) - extent.left;
  const int64_t height = static_cast<int64_t>(extent.bottom) - extent.top;
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<dgx Version=\"1\">\r\n <u1";
  attribute(out, "DDID", std::to_string(diagram.id));
  attribute(out, "Name", diagram.name);
  attribute(out, "TypeNumber", std::to_string(diagram.type));
  attribute(out, "TypeName", diagram.typeName);
  out += "/>\r\n <u2";
  attribute(out, "Size", twips(width) + "," + twips(height));
  out += ">\r\n";
  for (const SymbolModel& s : diagram.symbols) {
    out += "  <Shape";
    attribute(out, "ID", std::to_string(s.id));
    attribute(out, "Name", s.name);
    attribute(out, "TypeNumber", std::to_string(s.type));
    attribute(out, "Left", twips(static_cast<int64_t>(s.rect.left) - extent.left));
    attribute(out, "Top", twips(static_cast<int64_t>(s.rect.top) - extent.top));
    attribute(out, "Right", twips(static_cast<int64_t>(s.rect.right) - extent.left));
    attribute(out, "Bottom", twips(static_cast<int64_t>(s.rect.bottom) - extent.top));
    out += "/>\r\n";
  }
  for (const LineModel& l : diagram.lines) {
    out += "  <Link";
    attribute(out, "From", std::to_string(l.from));
    attribute(out, "To", std::to_string(l.to));
    attribute(out, "Name", l.name);
    out += "/>\r\n";
  }
  out += " </u2>\r\n</dgx>\r\n";
  return out;
}

}  // namespace qxvb::qxhost
