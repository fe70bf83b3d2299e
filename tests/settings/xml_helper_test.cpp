// QX_XMLHelper: root, node and attribute helpers, the DTD path repair and
// schema validation, called directly and late-bound.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "settings/xml_helper.h"
#include "support/sandbox.h"
#include "xml/dom_lists.h"

namespace qxvb {
namespace {

using test::freshFolder;
using test::readFile;
using test::writeFile;
using xml::NodeRef;

XmlDocumentRef parsed(const std::string& text) {
  auto doc = xml::XmlDocument::create();
  EXPECT_TRUE(doc->loadXML(text));
  return doc;
}

TEST(XmlHelper, AddOrSetRootCreatesOnceAndTakesAnyFirstNode) {
  QX_XMLHelper helper;
  XmlDocumentRef doc;
  NodeRef root = helper.QX_XML_AddOrSetRoot(doc);
  ASSERT_TRUE(doc);
  EXPECT_FALSE(doc->async);
  EXPECT_EQ(doc->xml(), "<ROOT/>\r\n");
  EXPECT_EQ(helper.QX_XML_AddOrSetRoot(doc, "Other")->raw(), root->raw());
  EXPECT_EQ(doc->childNodes()->length(), 1);

  XmlDocumentRef declared = parsed("<?xml version=\"1.0\"?><!-- c --><r/>");
  EXPECT_EQ(helper.QX_XML_AddOrSetRoot(declared)->nodeName(), "xml");
}

TEST(XmlHelper, NodesAddedFoundAndDeleted) {
  QX_XMLHelper helper;
  XmlDocumentRef doc = parsed("<r><a/><deep><a/></deep></r>");
  NodeRef r = doc->documentElement();
  NodeRef a = helper.QX_XML_AddOrSetNode(doc, r, "a");
  EXPECT_EQ(a->raw(), r->firstChild()->raw());
  NodeRef b = helper.QX_XML_AddOrSetNode(doc, r, "b");
  EXPECT_EQ(b->raw(), r->lastChild()->raw());
  helper.QX_XML_AddNode(doc, r, "b");
  EXPECT_EQ(doc->xml(), "<r><a/><deep><a/></deep><b/><b/></r>\r\n");

  helper.QX_XML_DeleteNode(doc, r, "b");
  EXPECT_EQ(doc->xml(), "<r><a/><deep><a/></deep><b/></r>\r\n");
  helper.QX_XML_DeleteNode(doc, r, "nothing");
  helper.QX_XML_DeleteNode(doc, r, "deep/a");  // not a child: ignored
  helper.QX_XML_DeleteNode(doc, r, "[[bad");
  EXPECT_EQ(doc->xml(), "<r><a/><deep><a/></deep><b/></r>\r\n");
  EXPECT_THROW(helper.QX_XML_AddNode(doc, r, "bad name"), AutomationError);
  EXPECT_THROW(helper.QX_XML_AddOrSetNode(doc, r, "[["), AutomationError);
}

TEST(XmlHelper, AttributesKeepTheirPlace) {
  QX_XMLHelper helper;
  XmlDocumentRef doc = parsed("<r a=\"1\" b=\"2\" c=\"3\"/>");
  NodeRef r = doc->documentElement();
  NodeRef b = helper.QX_XML_AddOrSetAttribute(doc, r, "b", "two");
  EXPECT_EQ(b->text(), "two");
  EXPECT_EQ(doc->xml(), "<r a=\"1\" b=\"two\" c=\"3\"/>\r\n");
  helper.QX_XML_AddAttribute(doc, r, "a", "one");
  EXPECT_EQ(doc->xml(), "<r a=\"one\" b=\"two\" c=\"3\"/>\r\n");
  helper.QX_XML_AddOrSetAttribute(doc, r, "d", "<&>\"");
  EXPECT_EQ(doc->xml(), "<r a=\"one\" b=\"two\" c=\"3\" d=\"&lt;&amp;&gt;&quot;\"/>\r\n");
  helper.QX_XML_DeleteAttribute(doc, r, "b");
  helper.QX_XML_DeleteAttribute(doc, r, "missing");
  helper.QX_XML_DeleteAttribute(doc, r->firstChild(), "x");  // Nothing: ignored
  EXPECT_EQ(doc->xml(), "<r a=\"one\" c=\"3\" d=\"&lt;&amp;&gt;&quot;\"/>\r\n");
}

TEST(XmlHelper, OpenDomDocSelectsWithXPath) {
  QX_XMLHelper helper;
  const auto dir = freshFolder("open");
  writeFile(dir / "ok.xml", "<r><k n=\"1\"/></r>");
  writeFile(dir / "bad.xml", "<r>");
  XmlDocumentRef doc = helper.QX_XML_OpenDomDoc((dir / "ok.xml").string());
  ASSERT_TRUE(doc);
  EXPECT_EQ(CStr(doc->getProperty("SelectionLanguage")), "XPath");
  EXPECT_TRUE(doc->selectSingleNode("/r/k[@n='1']"));
  EXPECT_FALSE(helper.QX_XML_OpenDomDoc((dir / "bad.xml").string()));
  EXPECT_FALSE(helper.QX_XML_OpenDomDoc((dir / "none.xml").string()));
}

TEST(XmlHelper, DtdPathFixLeavesLoadableFilesAlone) {
  QX_XMLHelper helper;
  const auto dir = freshFolder("dtdok");
  const std::string text = "<?xml version=\"1.0\"?>\n<r>\n  <a/>\n</r>\n";
  writeFile(dir / "m.xml", text);
  XmlDocumentRef doc = xml::XmlDocument::create();
  const XmlDocumentRef original = doc;
  EXPECT_TRUE(helper.QX_XML_LoadDocwithDTDPathFix(doc, (dir / "m.xml").string(), "/nowhere"));
  EXPECT_EQ(doc, original);
  EXPECT_EQ(readFile(dir / "m.xml"), text);
  EXPECT_EQ(CStr(doc->getProperty("SelectionLanguage")), "XPath");
}

TEST(XmlHelper, DtdPathFixPointsTheDoctypeIntoTheNewFolder) {
  QX_XMLHelper helper;
  const auto dir = freshFolder("dtdfix");
  std::filesystem::create_directories(dir / "new");
  writeFile(dir / "new" / "m.dtd", "<!ELEMENT QXMatrixContents (a)*><!ELEMENT a EMPTY>");
  writeFile(dir / "m.xml",
            "<?xml version=\"1.0\"?>\n<!DOCTYPE QXMatrixContents SYSTEM \"/old/m.dtd\">\n"
            "<QXMatrixContents><a/></QXMatrixContents>\n");
  XmlDocumentRef doc = xml::XmlDocument::create();
  const XmlDocumentRef original = doc;
  EXPECT_TRUE(
      helper.QX_XML_LoadDocwithDTDPathFix(doc, (dir / "m.xml").string(), (dir / "new").string()));
  EXPECT_NE(doc, original);
  const std::string dtd = (dir / "new" / "m.dtd").string();
  EXPECT_EQ(readFile(dir / "m.xml"),
            "<?xml version=\"1.0\"?>\r\n<!DOCTYPE QXMatrixContents SYSTEM \"" + dtd +
                "\">\r\n<QXMatrixContents><a/></QXMatrixContents>\r\n");
  EXPECT_TRUE(doc->selectSingleNode("/QXMatrixContents/a"));
}

TEST(XmlHelper, DtdPathFixRewritesRootNameAndWindowsReferences) {
  QX_XMLHelper helper;
  const auto dir = freshFolder("dtdwin");
  writeFile(dir / "m.dtd", "<!ELEMENT QXMatrixContents EMPTY>");
  writeFile(dir / "m.xml",
            "<!DOCTYPE Other SYSTEM \"C:\\old\\m.dtd\" [<!ENTITY e \"x\">]><Other/>");
  XmlDocumentRef doc = xml::XmlDocument::create();
  // The root is not what the repaired DTD declares, so the final load fails.
  EXPECT_FALSE(
      helper.QX_XML_LoadDocwithDTDPathFix(doc, (dir / "m.xml").string(), dir.string() + "/"));
  EXPECT_EQ(readFile(dir / "m.xml"), "<!DOCTYPE QXMatrixContents SYSTEM \"" +
                                         (dir / "m.dtd").string() + "\">\r\n<Other/>\r\n");
}

TEST(XmlHelper, DtdPathFixFailures) {
  QX_XMLHelper helper;
  const auto dir = freshFolder("dtdbad");
  writeFile(dir / "broken.xml", "<r>");
  XmlDocumentRef doc = xml::XmlDocument::create();
  EXPECT_FALSE(helper.QX_XML_LoadDocwithDTDPathFix(doc, (dir / "broken.xml").string(), "/x"));
  EXPECT_EQ(readFile(dir / "broken.xml"), "<r>");
  XmlDocumentRef none;
  EXPECT_THROW(helper.QX_XML_LoadDocwithDTDPathFix(none, (dir / "broken.xml").string(), "/x"),
               AutomationError);
}

const char* const kSchema =
    "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" targetNamespace=\"urn:t\" "
    "xmlns=\"urn:t\" elementFormDefault=\"qualified\">"
    "<xs:element name=\"r\"><xs:complexType><xs:sequence>"
    "<xs:element name=\"n\" type=\"xs:int\" maxOccurs=\"unbounded\"/>"
    "</xs:sequence></xs:complexType></xs:element></xs:schema>";

int32_t raisedNumber(const std::function<void()>& call, std::string* source,
                     std::string* description) {
  try {
    call();
  } catch (const AutomationError& e) {
    *source = e.source();
    *description = e.description();
    return e.number();
  }
  return 0;
}

TEST(XmlHelper, ValidateSchema) {
  QX_XMLHelper helper;
  const auto dir = freshFolder("xsd");
  const std::string xsd = (dir / "t.xsd").string();
  writeFile(xsd, kSchema);
  writeFile(dir / "good.xml", "<r xmlns=\"urn:t\"><n>1</n><n>2</n></r>");
  writeFile(dir / "bad.xml", "<r xmlns=\"urn:t\"><n>one</n></r>");
  writeFile(dir / "broken.xml", "<r xmlns=\"urn:t\">");
  EXPECT_TRUE(helper.QX_XML_ValidateSchema((dir / "good.xml").string(), xsd));

  std::string source;
  std::string description;
  EXPECT_EQ(raisedNumber([&] { helper.QX_XML_ValidateSchema((dir / "bad.xml").string(), xsd); },
                         &source, &description),
            1);
  EXPECT_EQ(source, "QX_XML_ValidateSchema");
  EXPECT_NE(description.find("one"), std::string::npos);

  EXPECT_EQ(raisedNumber(
                [&] {
                  helper.QX_XML_ValidateSchema((dir / "good.xml").string(),
                                               (dir / "no.xsd").string());
                },
                &source, &description),
            1);
  EXPECT_EQ(source, "QX_XML_ValidateSchema");
  const std::string schemaTemplate = localString(41147);
  EXPECT_EQ(description.substr(0, schemaTemplate.find("%1")),
            schemaTemplate.substr(0, schemaTemplate.find("%1")));

  EXPECT_EQ(raisedNumber([&] { helper.QX_XML_ValidateSchema((dir / "broken.xml").string(), xsd); },
                         &source, &description),
            1);
  const std::string documentTemplate = localString(41148);
  EXPECT_EQ(description.substr(0, documentTemplate.find("%1")),
            documentTemplate.substr(0, documentTemplate.find("%1")));
}

TEST(XmlHelper, LateBoundWithReferencesAndDefaults) {
  Object helper = globalInstance("QX_XMLHelper");
  ASSERT_TRUE(std::dynamic_pointer_cast<QX_XMLHelper>(helper));
  std::vector<Variant> args{Variant(Object())};
  Object root = CObj(helper->invoke("QX_XML_AddOrSetRoot", kMethod, args));
  ASSERT_EQ(args.size(), 1u);
  Object doc = CObj(args[0]);
  ASSERT_TRUE(doc);
  EXPECT_EQ(CStr(root->getProperty("nodeName")), "ROOT");

  std::vector<Variant> add{Variant(doc), Variant(root), Variant("child")};
  Object child = CObj(helper->invoke("QX_XML_AddOrSetNode", kMethod, add));
  std::vector<Variant> attr{Variant(doc), Variant(child), Variant("k"), Variant(int32_t{7})};
  helper->invoke("QX_XML_AddOrSetAttribute", kMethod, attr);
  EXPECT_EQ(CStr(doc->getProperty("xml")), "<ROOT><child k=\"7\"/></ROOT>\r\n");

  std::vector<Variant> del{Variant(doc), Variant("not a node"), Variant("child")};
  EXPECT_NO_THROW(helper->invoke("QX_XML_DeleteNode", kMethod, del));

  std::vector<Variant> fix{Variant(Object()), Variant("/none.xml"), Variant("/x")};
  EXPECT_THROW(helper->invoke("QX_XML_LoadDocwithDTDPathFix", kMethod, fix), AutomationError);
}

}  // namespace
}  // namespace qxvb
