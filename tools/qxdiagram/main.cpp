// qxdiagram: exports diagrams of a repository to PNG, JPEG or SVG through
// the library's export members, and writes web pages whose image maps make
// every symbol a link to the page of its related diagram.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/module_state.h"
#include "frame/vb_conversions.h"
#include "html_page.h"
#include "platform/atomic_file.h"
#include "progress_bar.h"

namespace {

namespace fs = std::filesystem;
using qxvb::Object;
using qxvb::Variant;
using namespace qxdiagram;

const char* const kUsage =
    "usage: qxdiagram [OPTIONS] REPOSITORY [DDID ...]\n"
    "\n"
    "Exports the diagrams of REPOSITORY (all of them, or those named by DDID) as\n"
    "diagram-DDID.png (.jpg, .svg) with their hotspot maps (diagram-DDID.HSP).\n"
    "\n"
    "  -f, --format FORMAT   png (default), jpeg or svg\n"
    "  -w, --width PIXELS    the widest picture (default 1024)\n"
    "  -o, --output FOLDER   where the files go (default: the current folder)\n"
    "      --html            also write a page per diagram whose symbols link to\n"
    "                        the pages of their related diagrams, and index.html\n"
    "  -l, --list            list the repository's diagrams and exit\n"
    "  -q, --quiet           no progress bar\n"
    "\n"
    "Exit status: 0 every diagram exported, 1 some failed, 2 usage error.\n";

struct Options {
  std::string format = "png";
  int32_t width = 1024;
  fs::path output = ".";
  bool html = false;
  bool list = false;
  bool quiet = false;
  std::string repository;
  std::vector<int32_t> ids;
};

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

int32_t number(const std::string& text, const char* what) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value <= 0 || value > 0x7FFFFFFF) {
    throw UsageError(std::string("bad ") + what + ": " + text);
  }
  return static_cast<int32_t>(value);
}

Options parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError("missing value after " + arg);
      return argv[++i];
    };
    if (arg == "-f" || arg == "--format") {
      o.format = value();
      if (o.format == "jpg") o.format = "jpeg";
      if (o.format != "png" && o.format != "jpeg" && o.format != "svg") {
        throw UsageError("unknown format " + o.format);
      }
    } else if (arg == "-w" || arg == "--width") {
      o.width = number(value(), "width");
    } else if (arg == "-o" || arg == "--output") {
      o.output = value();
    } else if (arg == "--html") {
      o.html = true;
    } else if (arg == "-l" || arg == "--list") {
      o.list = true;
    } else if (arg == "-q" || arg == "--quiet") {
      o.quiet = true;
    } else if (arg == "-h" || arg == "--help") {
      throw UsageError("");
    } else if (!arg.empty() && arg[0] == '-') {
      throw UsageError("unknown option " + arg);
    } else if (o.repository.empty()) {
      o.repository = arg;
    } else {
      o.ids.push_back(number(arg, "diagram identifier"));
    }
  }
  if (o.repository.empty()) throw UsageError("missing REPOSITORY");
  return o;
}

Variant call(const Object& target, const char* member, std::vector<Variant>& args) {
  return target->invoke(member, qxvb::kMethod | qxvb::kPropertyGet, args);
}

std::string extensionOf(const std::string& format) {
  return format == "jpeg" ? "jpg" : format;
}

void writeText(const fs::path& file, const std::string& text) {
  const int error = qxvb::platform::writeFileAtomically(file, text);
  if (error != 0) throw std::runtime_error("cannot write " + file.string());
}

std::vector<DiagramInfo> diagramsOf(const Object& repository) {
  std::vector<DiagramInfo> list;
  const Object all = qxvb::CObj(repository->getProperty("Diagrams"));
  const int32_t count = qxvb::CLng(all->getProperty("Count"));
  for (int32_t i = 1; i <= count; ++i) {
    std::vector<Variant> index{Variant(i)};
    const Object diagram = qxvb::CObj(call(all, "Item", index));
    list.push_back({qxvb::CLng(diagram->getProperty("Id")),
                    qxvb::CStr(diagram->getProperty("Name")),
                    qxvb::CStr(diagram->getProperty("TypeName"))});
  }
  return list;
}

// The areas of a hotspot map file, read with the library's DOM.
std::vector<Area> areasOf(const fs::path& map) {
  std::vector<Area> areas;
  const Object doc = qxvb::createObject("Msxml2.DOMDocument.6.0");
  doc->putProperty("async", Variant(false));
  doc->putProperty("resolveExternals", Variant(false));
  std::vector<Variant> file{Variant(map.string())};
  if (!qxvb::CBool(call(doc, "load", file))) return areas;
  std::vector<Variant> query{Variant("/Hotspotmap/Symbol")};
  const Object symbols = qxvb::CObj(call(doc, "selectNodes", query));
  const int32_t count = qxvb::CLng(symbols->getProperty("length"));
  const auto attribute = [](const Object& element, const char* name) {
    std::vector<Variant> args{Variant(name)};
    const Variant value = call(element, "getAttribute", args);
    return value.isNull() ? std::string() : qxvb::CStr(value);
  };
  const auto integer = [&](const Object& element, const char* name) {
    return qxvb::CLng(Variant(attribute(element, name)));
  };
  for (int32_t i = 0; i < count; ++i) {
    std::vector<Variant> index{Variant(i)};
    const Object symbol = qxvb::CObj(call(symbols, "item", index));
    Area a{integer(symbol, "DDID"),
           attribute(symbol, "Name"),
           integer(symbol, "Left"),
           integer(symbol, "Top"),
           integer(symbol, "Right"),
           integer(symbol, "Bottom"),
           {}};
    std::vector<Variant> diagramsQuery{Variant("Diagram")};
    const Object related = qxvb::CObj(call(symbol, "selectNodes", diagramsQuery));
    const int32_t relatedCount = qxvb::CLng(related->getProperty("length"));
    for (int32_t j = 0; j < relatedCount; ++j) {
      std::vector<Variant> at{Variant(j)};
      const Object d = qxvb::CObj(call(related, "item", at));
      a.related.push_back({integer(d, "DDID"), attribute(d, "Name"), {}});
    }
    areas.push_back(std::move(a));
  }
  return areas;
}

struct Exported {
  int32_t width = 0;
  int32_t height = 0;
};

// Exports one diagram; answers the member's result code and its message.
int32_t exportDiagram(const Object& utilities, const Options& o, int32_t ddid, Exported& out,
                      std::string& message) {
  const fs::path picture = o.output / pictureName(ddid, extensionOf(o.format));
  if (o.format == "svg") {
    std::vector<Variant> args{Variant(ddid), Variant(picture.string()), Variant("")};
    const int32_t result = qxvb::CLng(call(utilities, "QX_DiagramToSVG", args));
    message = qxvb::CStr(args[2]);
    // Marked problems are reported, but the picture is there.
    return result == 3 && fs::exists(picture) ? 0 : result;
  }
  // The export never replaces a hotspot map; the previous run's goes first.
  std::error_code ignored;
  fs::remove(o.output / ("diagram-" + std::to_string(ddid) + ".HSP"), ignored);
  std::vector<Variant> args{Variant(ddid),       Variant(picture.string()), Variant(int32_t{0}),
                            Variant(int32_t{0}), Variant(o.width),          Variant("")};
  const int32_t result =
      qxvb::CLng(call(utilities, o.format == "png" ? "QX_DiagramToPNG" : "QX_DiagramToJPEG", args));
  out.width = qxvb::CLng(args[2]);
  out.height = qxvb::CLng(args[3]);
  message = qxvb::CStr(args[5]);
  return result;
}

int run(const Options& o) {
  const Object host = qxvb::createObject("QxHost.Application");
  std::vector<Variant> location{Variant(fs::absolute(o.repository).string())};
  call(host, "OpenRuzuderedevu", location);
  const Object repository = qxvb::CObj(host->getProperty("Ruzuderedevu"));
  const std::vector<DiagramInfo> all = diagramsOf(repository);
  if (o.list) {
    for (const DiagramInfo& d : all) {
      std::printf("%d\t%s\t%s\n", d.id, d.name.c_str(), d.typeName.c_str());
    }
    return 0;
  }
  std::map<int32_t, DiagramInfo> byId;
  for (const DiagramInfo& d : all) byId[d.id] = d;
  std::vector<DiagramInfo> chosen;
  std::vector<std::string> failures;
  std::vector<std::string> warnings;
  if (o.ids.empty()) chosen = all;
  for (int32_t id : o.ids) {
    if (byId.count(id) != 0) {
      chosen.push_back(byId[id]);
    } else {
      failures.push_back("diagram " + std::to_string(id) + " is not in the repository");
    }
  }
  fs::create_directories(o.output);
  const Object utilities = qxvb::createObject("QXVBUtils.QXUtilities");
  std::map<int32_t, Exported> exported;
  ProgressBar bar(static_cast<int>(chosen.size()), !o.quiet);
  int done = 0;
  for (const DiagramInfo& d : chosen) {
    bar.show(done, d.name);
    Exported made;
    std::string message;
    const int32_t result = exportDiagram(utilities, o, d.id, made, message);
    if (result == 0) {
      exported[d.id] = made;
      if (!message.empty()) warnings.push_back(message);
    } else {
      failures.push_back("diagram " + std::to_string(d.id) + " (" + d.name +
                         "): the export answered " + std::to_string(result) +
                         (message.empty() ? "" : ": " + message));
    }
    bar.show(++done, d.name);
  }
  bar.finish();
  if (o.html) {
    std::set<int32_t> linkable;
    for (const auto& [id, made] : exported) linkable.insert(id);
    for (const auto& [id, made] : exported) {
      const std::string picture = pictureName(id, extensionOf(o.format));
      const fs::path map = o.output / ("diagram-" + std::to_string(id) + ".HSP");
      std::vector<Area> areas;
      if (o.format != "svg" && fs::exists(map)) areas = areasOf(map);
      writeText(o.output / pageName(id),
                diagramPage(byId[id], picture, made.width, made.height, areas, linkable));
    }
    std::vector<IndexEntry> entries;
    entries.reserve(chosen.size());
    for (const DiagramInfo& d : chosen) entries.push_back({d, exported.count(d.id) != 0});
    writeText(o.output / "index.html", indexPage(fs::path(o.repository).stem().string(), entries));
  }
  for (const std::string& warning : warnings) {
    std::fprintf(stderr, "qxdiagram: warning: %s\n", warning.c_str());
  }
  for (const std::string& failure : failures) {
    std::fprintf(stderr, "qxdiagram: %s\n", failure.c_str());
  }
  if (!o.quiet) {
    std::printf("exported %zu of %zu diagrams to %s\n", exported.size(), chosen.size(),
                o.output.string().c_str());
  }
  return failures.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    options = parse(argc, argv);
  } catch (const UsageError& e) {
    if (*e.what() != '\0') std::fprintf(stderr, "qxdiagram: %s\n", e.what());
    std::fputs(kUsage, *e.what() != '\0' ? stderr : stdout);
    return *e.what() != '\0' ? 2 : 0;
  }
  int status = 1;
  try {
    status = run(options);
  } catch (const qxvb::AutomationError& e) {
    std::fprintf(stderr, "qxdiagram: %s (%d)\n", e.description().c_str(), e.number());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qxdiagram: %s\n", e.what());
  }
  qxvb::unloadThread();
  return status;
}
