// The DOM over libxml2: the behaviours the library and its callers rely on.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/vb_conversions.h"
#include "library/class_lists.h"
#include "support/sandbox.h"
#include "xml/dom_document.h"
#include "xml/dom_lists.h"

namespace qxvb::xml {
namespace {

using test::freshFolder;
using test::readFile;
using test::writeFile;

std::shared_ptr<XmlDocument> parsed(const std::string& text) {
  auto doc = XmlDocument::create();
  EXPECT_TRUE(doc->loadXML(text)) << doc->lastError().reason;
  return doc;
}

std::shared_ptr<XmlElement> element(const NodeRef& node) {
  auto e = std::dynamic_pointer_cast<XmlElement>(node);
  EXPECT_TRUE(e);
  return e;
}

TEST(XmlDom, FirstChildOfAnyKindAndDeclarationAsNode) {
  auto doc = parsed("<?xml version=\"1.0\" encoding=\"UTF-8\"?><!-- note --><a/>");
  ASSERT_EQ(doc->childNodes()->length(), 3);
  NodeRef first = doc->childNodes()->item(0);
  EXPECT_EQ(first->nodeType(), 7);
  EXPECT_EQ(first->nodeName(), "xml");
  EXPECT_EQ(CStr(first->nodeValue()), "version=\"1.0\" encoding=\"UTF-8\"");
  EXPECT_EQ(doc->childNodes()->item(1)->nodeType(), 8);
  EXPECT_FALSE(doc->childNodes()->item(3));
}

TEST(XmlDom, XmlTextOfDocumentAndNodes) {
  auto doc = parsed(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a x=\"1\" y='&lt;&amp;\"'><b/>t&gt;</a>");
  EXPECT_EQ(doc->xml(),
            "<?xml version=\"1.0\"?>\r\n<a x=\"1\" y=\"&lt;&amp;&quot;\"><b/>t&gt;</a>\r\n");
  EXPECT_EQ(element(doc->documentElement())->getAttributeNode("y")->xml(), "y=\"&lt;&amp;&quot;\"");
  EXPECT_EQ(parsed("<r>é ü</r>")->xml(), "<r>é ü</r>\r\n");
  EXPECT_EQ(parsed("<r a=\"é\"/>")->xml(), "<r a=\"é\"/>\r\n");
}

TEST(XmlDom, TextNormalisesWhiteSpaceUnlessPreserved) {
  EXPECT_EQ(parsed("<a>  x   y  </a>")->text(), "x   y");
  EXPECT_EQ(parsed("<a>x <b>y</b></a>")->text(), "x y");
  EXPECT_EQ(parsed("<a>x<b>y</b>z</a>")->text(), "xyz");
  EXPECT_EQ(parsed("<a>x\n  <b> y </b>\n</a>")->text(), "x y");
  EXPECT_EQ(parsed("<a><![CDATA[ c ]]></a>")->text(), " c ");
  EXPECT_EQ(parsed("<a xml:space=\"preserve\"> p </a>")->text(), " p ");
  EXPECT_EQ(parsed("<a>x<!-- c --><?p d?>y</a>")->text(), "xy");

  auto kept = XmlDocument::create();
  kept->setPreserveWhiteSpace(true);
  ASSERT_TRUE(kept->loadXML("<a>\n <b> y </b>\n</a>"));
  EXPECT_EQ(kept->text(), "\n  y \n");
  EXPECT_EQ(kept->documentElement()->childNodes()->length(), 3);
  // Without preserving, white-space-only text nodes are not kept.
  EXPECT_EQ(parsed("<a>\n <b> y </b>\n</a>")->documentElement()->childNodes()->length(), 1);
}

TEST(XmlDom, SettingTextReplacesChildren) {
  auto doc = parsed("<a><b>1</b>2</a>");
  NodeRef b = doc->documentElement()->firstChild();
  doc->documentElement()->setText("new & <text>");
  EXPECT_EQ(doc->xml(), "<a>new &amp; &lt;text&gt;</a>\r\n");
  // The replaced child is still a usable node.
  EXPECT_EQ(b->xml(), "<b>1</b>");
  EXPECT_FALSE(b->parentNode());
}

TEST(XmlDom, RemovedNodesOutliveTheirDocument) {
  auto doc = parsed("<a><b k=\"v\"><c>t</c></b></a>");
  NodeRef b = doc->documentElement()->selectSingleNode("b");
  NodeRef c = b->firstChild();
  doc->documentElement()->removeChild(b);
  doc.reset();
  EXPECT_EQ(b->xml(), "<b k=\"v\"><c>t</c></b>");
  EXPECT_EQ(c->parentNode()->nodeName(), "b");
  EXPECT_EQ(b->ownerDocument()->xml(), "<a/>\r\n");
}

TEST(XmlDom, NodesKeepTheirDocumentAcrossReload) {
  auto doc = parsed("<a><b/></a>");
  NodeRef b = doc->documentElement()->firstChild();
  ASSERT_TRUE(doc->loadXML("<z/>"));
  EXPECT_EQ(b->xml(), "<b/>");
  EXPECT_EQ(doc->xml(), "<z/>\r\n");
}

TEST(XmlDom, AttributesAbsentReplacedAndRemoved) {
  auto doc = parsed("<a x=\"1\" y=\"2\" z=\"3\"/>");
  auto a = element(doc->documentElement());
  EXPECT_TRUE(a->getAttribute("missing").isNull());
  a->setAttribute("y", "two");
  EXPECT_EQ(a->xml(), "<a x=\"1\" y=\"two\" z=\"3\"/>");

  auto map = a->attributes();
  NodeRef fresh = doc->createAttribute("x");
  fresh->setText("one");
  map->setNamedItem(fresh);
  EXPECT_EQ(a->xml(), "<a x=\"one\" y=\"two\" z=\"3\"/>");
  EXPECT_EQ(map->item(0)->text(), "one");

  NodeRef removed = map->removeNamedItem("y");
  ASSERT_TRUE(removed);
  EXPECT_EQ(removed->text(), "two");
  EXPECT_FALSE(map->removeNamedItem("y"));
  a->removeAttribute("nothing");
  EXPECT_EQ(a->xml(), "<a x=\"one\" z=\"3\"/>");
  EXPECT_EQ(map->length(), 2);
}

TEST(XmlDom, TreeChangesAreChecked) {
  auto doc = parsed("<a><b/><c/></a>");
  NodeRef a = doc->documentElement();
  NodeRef b = a->firstChild();
  NodeRef c = a->lastChild();
  a->insertBefore(c, b);
  EXPECT_EQ(a->xml(), "<a><c/><b/></a>");
  a->replaceChild(doc->createTextNode("t"), b);
  EXPECT_EQ(a->xml(), "<a><c/>t</a>");
  EXPECT_THROW(c->appendChild(a), AutomationError);  // would make a cycle
  EXPECT_THROW(doc->appendChild(doc->createElement("second")), AutomationError);
  EXPECT_THROW(a->removeChild(b), AutomationError);  // no longer a child
  EXPECT_THROW(doc->createElement("bad name"), AutomationError);
  EXPECT_THROW(a->appendChild(doc->createAttribute("x")), AutomationError);
  EXPECT_EQ(a->xml(), "<a><c/>t</a>");
}

TEST(XmlDom, AdjacentTextNodesStaySeparate) {
  auto doc = parsed("<a>x</a>");
  NodeRef a = doc->documentElement();
  NodeRef first = a->firstChild();
  NodeRef second = a->appendChild(doc->createTextNode("y"));
  EXPECT_EQ(a->childNodes()->length(), 2);
  EXPECT_EQ(first->text(), "x");
  EXPECT_EQ(second->text(), "y");
  EXPECT_EQ(a->text(), "xy");
}

TEST(XmlDom, NodesFromAnotherDocumentAreCopiedIn) {
  auto source = parsed("<r><e k=\"1\"/></r>");
  auto target = XmlDocument::create();
  NodeRef root = target->appendChild(source->documentElement()->cloneNode(false));
  root->appendChild(source->documentElement()->firstChild());
  EXPECT_EQ(target->xml(), "<r><e k=\"1\"/></r>\r\n");
  EXPECT_EQ(source->xml(), "<r><e k=\"1\"/></r>\r\n");
  EXPECT_EQ(root->ownerDocument(), target);
}

TEST(XmlDom, XPathRelativeToANode) {
  auto doc = parsed("<r><s><k n=\"1\"/><k n=\"2\"/></s><k n=\"top\"/></r>");
  NodeRef s = doc->documentElement()->firstChild();
  EXPECT_EQ(CStr(element(s->selectSingleNode("k"))->getAttribute("n")), "1");
  EXPECT_EQ(s->selectNodes("k")->length(), 2);
  EXPECT_EQ(doc->selectNodes("//k")->length(), 3);
  EXPECT_EQ(CStr(element(s->selectSingleNode("../k"))->getAttribute("n")), "top");
  EXPECT_FALSE(s->selectSingleNode("missing"));
  EXPECT_THROW(s->selectSingleNode("k[["), AutomationError);
  EXPECT_THROW(s->selectNodes("count(k)"), AutomationError);

  auto list = doc->selectNodes("//k");
  EXPECT_EQ(list->nextNode()->nodeName(), "k");
  list->nextNode();
  list->nextNode();
  EXPECT_FALSE(list->nextNode());
  list->reset();
  EXPECT_TRUE(list->nextNode());
}

TEST(XmlDom, SelectionNamespaces) {
  auto doc = parsed("<r xmlns:p=\"urn:x\"><p:a>1</p:a></r>");
  doc->setProperty("SelectionNamespaces", Variant("xmlns:q='urn:x'"));
  EXPECT_EQ(doc->selectSingleNode("/r/q:a")->text(), "1");
  EXPECT_THROW(doc->setProperty("SelectionNamespaces", Variant("nonsense")), AutomationError);
}

TEST(XmlDom, MalformedTextFillsParseError) {
  auto doc = XmlDocument::create();
  EXPECT_FALSE(doc->loadXML("<a>\n<b></a>"));
  const ParseErrorInfo& e = doc->lastError();
  EXPECT_NE(e.errorCode, 0);
  EXPECT_EQ(e.line, 2);
  EXPECT_EQ(e.srcText, "<b></a>");
  ASSERT_GE(e.reason.size(), 2u);
  EXPECT_EQ(e.reason.substr(e.reason.size() - 2), "\r\n");
  EXPECT_FALSE(doc->documentElement());
  EXPECT_EQ(doc->xml(), "");

  for (const char* bad : {"", "plain text", "<a", "<a></b>", "<?xml version=\"1.0\"?>",
                          "<a>&undefined;</a>", "\xff\xfe<a/>", "<a b=\"1\" b=\"2\"/>"}) {
    EXPECT_FALSE(doc->loadXML(bad)) << bad;
    EXPECT_NE(doc->lastError().errorCode, 0) << bad;
  }
  EXPECT_TRUE(doc->loadXML("<ok/>"));
  EXPECT_EQ(doc->lastError().errorCode, 0);
}

TEST(XmlDom, MissingFileAndNetworkSources) {
  auto doc = XmlDocument::create();
  EXPECT_FALSE(doc->load((freshFolder("missing") / "none.xml").string()));
  EXPECT_EQ(doc->lastError().errorCode, kObjectNotFound);
  EXPECT_FALSE(doc->load(freshFolder("folder").string()));
  EXPECT_FALSE(doc->load("http://127.0.0.1:9/doc.xml"));
  EXPECT_NE(doc->lastError().errorCode, 0);
}

TEST(XmlDom, LargeDocuments) {
  std::string text = "<r>";
  for (int i = 0; i < 200000; ++i) text += "<e i=\"" + std::to_string(i) + "\">v</e>";
  text += "</r>";
  auto doc = parsed(text);
  EXPECT_EQ(doc->documentElement()->childNodes()->length(), 200000);
  EXPECT_EQ(doc->selectNodes("/r/e")->length(), 200000);
  EXPECT_EQ(doc->text().size(), 200000u);
  EXPECT_EQ(doc->xml().size(), text.size() + 2);

  // Nesting beyond the parser's depth limit is an error, not a crash.
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<d>";
  EXPECT_FALSE(XmlDocument::create()->loadXML(deep));

  // A deep tree built through the DOM renders and frees without recursion.
  auto built = XmlDocument::create();
  NodeRef at = built->appendChild(built->createElement("d"));
  for (int i = 0; i < 50000; ++i) at = at->appendChild(built->createElement("d"));
  at->appendChild(built->createTextNode("leaf"));
  EXPECT_EQ(built->text(), "leaf");
  EXPECT_EQ(built->xml().size(), 50001u * 7 + 4 + 2);
}

// A listening socket that records whether anybody connected to it.
class Listener {
 public:
  Listener() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_EQ(::listen(fd_, 4), 0);
    socklen_t len = sizeof addr;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
  }
  ~Listener() { ::close(fd_); }
  std::string url(const std::string& file) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + file;
  }
  bool contacted() const {
    const int client = ::accept(fd_, nullptr, nullptr);
    if (client < 0) return false;
    ::close(client);
    return true;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

TEST(XmlDom, NeverReachesTheNetwork) {
  Listener server;
  const std::string dtd = "<!DOCTYPE r SYSTEM \"" + server.url("r.dtd") + "\"><r/>";
  const std::string entity =
      "<!DOCTYPE r [<!ENTITY e SYSTEM \"" + server.url("e.txt") + "\">]><r>&e;</r>";
  const std::string parameter =
      "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + server.url("p.dtd") + "\"> %p;]><r/>";

  auto resolving = XmlDocument::create();
  EXPECT_FALSE(resolving->loadXML(dtd));
  EXPECT_EQ(resolving->lastError().errorCode, kResourceNotFound);
  resolving->loadXML(entity);
  resolving->loadXML(parameter);
  resolving->load(server.url("doc.xml"));

  auto relaxed = XmlDocument::create();
  relaxed->resolveExternals = false;
  relaxed->validateOnParse = false;
  EXPECT_TRUE(relaxed->loadXML(dtd));
  EXPECT_TRUE(relaxed->loadXML(entity));
  EXPECT_EQ(relaxed->text(), "");
  relaxed->loadXML(parameter);
  EXPECT_FALSE(server.contacted());
}

TEST(XmlDom, LocalExternalsOnlyWhenResolving) {
  const auto dir = freshFolder("externals");
  writeFile(dir / "e.txt", "secret");
  const std::string text =
      "<!DOCTYPE r [<!ENTITY e SYSTEM \"" + (dir / "e.txt").string() + "\">]><r>&e;</r>";
  auto doc = XmlDocument::create();
  doc->validateOnParse = false;
  ASSERT_TRUE(doc->loadXML(text));
  EXPECT_EQ(doc->text(), "secret");
  doc->resolveExternals = false;
  ASSERT_TRUE(doc->loadXML(text));
  EXPECT_EQ(doc->text(), "");
}

TEST(XmlDom, SaveWritesWholeFilesOnly) {
  const auto dir = freshFolder("save");
  auto doc = parsed("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>é</a>");
  doc->save((dir / "out.xml").string());
  EXPECT_EQ(readFile(dir / "out.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<a>é</a>\r\n");
  auto again = XmlDocument::create();
  ASSERT_TRUE(again->load((dir / "out.xml").string()));
  EXPECT_EQ(again->text(), "é");

  EXPECT_THROW(doc->save((dir / "no" / "such" / "out.xml").string()), AutomationError);
  EXPECT_FALSE(std::filesystem::exists(dir / "no"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(XmlDom, SaveKeepsTheModeAndNeverWritesThroughPlantedNames) {
  const auto dir = freshFolder("save-planted");
  const auto target = dir / "private.xml";
  writeFile(target, "<old/>");
  std::filesystem::permissions(target, std::filesystem::perms(0600));
  writeFile(dir / "victim.txt", "untouched");
  // Links at every name a writer could guess: this process's id in all forms.
  const std::vector<std::string> guesses{"private.xml.~" + std::to_string(::getpid()) + ".tmp",
                                         "private.xml.tmp", ".private.xml.tmp", "private.xml~",
                                         "private.xml.new"};
  for (const std::string& guess : guesses) {
    std::filesystem::create_symlink(dir / "victim.txt", dir / guess);
  }
  auto doc = parsed("<new/>");
  doc->save(target.string());
  EXPECT_EQ(readFile(dir / "victim.txt"), "untouched");
  EXPECT_NE(readFile(target).find("<new/>"), std::string::npos);
  EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
            std::filesystem::perms(0600));
}

TEST(XmlDom, DoctypeShowsItsSystemIdentifier) {
  auto doc = XmlDocument::create();
  doc->resolveExternals = false;
  doc->validateOnParse = false;
  ASSERT_TRUE(doc->loadXML("<!DOCTYPE r SYSTEM \"/old/m.dtd\"><r/>"));
  NodeRef type = doc->doctype();
  ASSERT_TRUE(type);
  EXPECT_EQ(type->nodeType(), 10);
  EXPECT_EQ(type->xml(), "<!DOCTYPE r SYSTEM \"/old/m.dtd\">");
  EXPECT_EQ(type->attributes()->getNamedItem("SYSTEM")->text(), "/old/m.dtd");
  EXPECT_FALSE(type->attributes()->getNamedItem("PUBLIC"));
}

TEST(XmlDom, LateBoundThroughTheCatalogue) {
  Catalogue catalogue;
  registerXmlClasses(catalogue);
  const ClassInfo* info = catalogue.find("msxml2.domdocument.6.0");
  ASSERT_NE(info, nullptr);
  EXPECT_FALSE(info->partOfLibrary);
  ASSERT_NE(catalogue.find("MSXML2.DOMDocument"), nullptr);
  ASSERT_NE(catalogue.find("MSXML2.XMLSchemaCache.6.0"), nullptr);
  Object doc = info->factory();

  EXPECT_EQ(CBool(doc->call("loadXML", {Variant("<a><b x=\"1\"/></a>")})), true);
  Object root = CObj(doc->getProperty("documentElement"));
  Object b = CObj(root->call("selectSingleNode", {Variant("b")}));
  EXPECT_EQ(CStr(b->call("getAttribute", {Variant("x")})), "1");
  EXPECT_TRUE(b->call("getAttribute", {Variant("y")}).isNull());
  b->call("setAttribute", {Variant("y"), Variant(int32_t{2})});
  Object children = CObj(root->getProperty("childNodes"));
  EXPECT_EQ(CLng(children->getProperty("length")), 1);
  EXPECT_EQ(CStr(CObj(children->call("item", {Variant(int32_t{0})}))->getProperty("xml")),
            "<b x=\"1\" y=\"2\"/>");
  b->putProperty("text", Variant("t"));
  EXPECT_EQ(CStr(doc->getProperty("xml")), "<a><b x=\"1\" y=\"2\">t</b></a>\r\n");
  Object inserted =
      CObj(root->call("insertBefore", {Variant(CObj(doc->call("createElement", {Variant("c")})))}));
  EXPECT_EQ(CStr(inserted->getProperty("nodeName")), "c");

  EXPECT_FALSE(CBool(doc->call("loadXML", {Variant("<broken")})));
  Object error = CObj(doc->getProperty("parseError"));
  EXPECT_NE(CLng(error->getProperty("errorCode")), 0);
  EXPECT_FALSE(CStr(error->getProperty("reason")).empty());
}

}  // namespace
}  // namespace qxvb::xml
