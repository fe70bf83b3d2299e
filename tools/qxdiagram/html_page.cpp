#include "html_page.h"

#include "platform/text/xml_text.h"

namespace qxdiagram {

namespace {

const char* const kStyle =
    "body{font-family:'DejaVu Sans',sans-serif;margin:24px;color:#1b2633}"
    "h1{font-size:20px;margin:0 0 4px}p.type{color:#5a6673;margin:0 0 16px}"
    "img{border:1px solid #d0d6dd;display:block}"
    "ul{line-height:1.6}a{color:#2f4b6e}";

std::string head(const std::string& title) {
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
         htmlText(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
}

std::string coords(const Area& a) {
  return std::to_string(a.left) + "," + std::to_string(a.top) + "," + std::to_string(a.right) +
         "," + std::to_string(a.bottom);
}

}  // namespace

std::string pageName(int32_t ddid) {
  return "diagram-" + std::to_string(ddid) + ".html";
}

std::string pictureName(int32_t ddid, const std::string& extension) {
  return "diagram-" + std::to_string(ddid) + "." + extension;
}

std::string htmlText(const std::string& text) {
  return qxvb::xmlAttributeText(text);
}

std::string diagramPage(const DiagramInfo& diagram, const std::string& picture, int32_t width,
                        int32_t height, const std::vector<Area>& areas,
                        const std::set<int32_t>& linkable) {
  const std::string mapName = "map-" + std::to_string(diagram.id);
  std::string page = head(diagram.name);
  page += "<h1>" + htmlText(diagram.name) + "</h1>\n<p class=\"type\">" +
          htmlText(diagram.typeName) + "</p>\n";
  page += "<img src=\"" + htmlText(picture) + "\" width=\"" + std::to_string(width) +
          "\" height=\"" + std::to_string(height) + "\" alt=\"" + htmlText(diagram.name) + "\"";
  if (!areas.empty()) page += " usemap=\"#" + mapName + "\"";
  page += ">\n";
  if (!areas.empty()) {
    page += "<map name=\"" + mapName + "\">\n";
    for (const Area& a : areas) {
      const DiagramInfo* target = nullptr;
      std::string title = a.name;
      for (const DiagramInfo& r : a.related) {
        if (target == nullptr && linkable.count(r.id) != 0) {
          target = &r;
        }
        title += (&r == &a.related.front() ? ": " : ", ") + r.name;
      }
      page += "<area shape=\"rect\" coords=\"" + coords(a) + "\" data-symbol=\"" +
              std::to_string(a.symbolId) + "\" alt=\"" + htmlText(a.name) + "\" title=\"" +
              htmlText(title) + "\"";
      page += target != nullptr ? " href=\"" + pageName(target->id) + "\">\n" : " nohref>\n";
    }
    page += "</map>\n";
  }
  page += "<p><a href=\"index.html\">All diagrams</a></p>\n</body>\n</html>\n";
  return page;
}

std::string indexPage(const std::string& title, const std::vector<IndexEntry>& entries) {
  std::string page = head(title);
  page += "<h1>" + htmlText(title) + "</h1>\n<ul>\n";
  for (const IndexEntry& e : entries) {
    page += "<li>";
    if (e.exported) {
      page += "<a href=\"" + pageName(e.diagram.id) + "\">" + htmlText(e.diagram.name) + "</a>";
    } else {
      page += htmlText(e.diagram.name) + " (not exported)";
    }
    page += " <span class=\"type\">" + htmlText(e.diagram.typeName) + "</span></li>\n";
  }
  page += "</ul>\n</body>\n</html>\n";
  return page;
}

}  // namespace qxdiagram
