#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/module_state.h"
#include "frame/vb_conversions.h"
#include "platform/registry/registry_store.h"
#include "registry_fixture.h"
#include "settings/registry/qx_registry.h"
#include "settings/xml_helper.h"
#include "support/errors.h"
#include "support/sandbox.h"
#include "support/small_filesystem.h"
#include "xml/dom_document.h"
#include "xml/dom_lists.h"

namespace qxvb {
namespace {

using test::errorNumber;

class RegistryBranchXmlTest : public test::RegistrySettingsTest {
 protected:
  void SetUp() override {
    RegistrySettingsTest::SetUp();
    r = std::static_pointer_cast<QX_Registry>(createObject("QXVBUtils.QX_Registry"));
  }
  void TearDown() override {
    r.reset();
    RegistrySettingsTest::TearDown();
  }

  // Keys A (x = "1") and A\B (y = 7) below App\Sec.
  void writeExampleBranch() {
    r->QX_Reg_WriteSetting(kHKCU, "x", 1, Variant("1"), "App", "Sec\\A");
    r->QX_Reg_WriteSetting(kHKCU, "y", 4, Variant(7), "App", "Sec\\A\\B");
  }

  static std::shared_ptr<xml::XmlDocument> parse(const std::string& text) {
    auto doc = xml::XmlDocument::create();
    doc->async = false;
    EXPECT_TRUE(doc->loadXML(text)) << text;
    return doc;
  }

  static std::string attribute(const xml::NodeRef& node, const std::string& name) {
    const auto attributes = node->attributes();
    const auto item = attributes ? attributes->getNamedItem(name) : nullptr;
    return item ? item->text() : "<none>";
  }

  std::shared_ptr<QX_Registry> r;
};

TEST_F(RegistryBranchXmlTest, KeysComeBeforeValuesAndNestPerLevel) {
  writeExampleBranch();
  const std::string text = r->QX_Reg_ReadBranchAsXML(kHKCU, "App", "Sec");
  const auto doc = parse(text);
  const xml::NodeRef root = doc->documentElement();
  ASSERT_TRUE(root);
  EXPECT_EQ(root->nodeName(), "Quillane");
  ASSERT_EQ(root->childNodes()->length(), 1);

  const xml::NodeRef a = root->firstChild();
  EXPECT_EQ(a->nodeName(), "Key");
  EXPECT_EQ(attribute(a, "HKey"), "-2147483647");
  EXPECT_EQ(attribute(a, "Section"), kProduct + "\\App\\Sec");
  EXPECT_EQ(attribute(a, "Name"), "A");
  ASSERT_EQ(a->childNodes()->length(), 2);

  const xml::NodeRef b = a->firstChild();
  EXPECT_EQ(b->nodeName(), "Key");
  EXPECT_EQ(attribute(b, "Section"), kProduct + "\\App\\Sec\\A");
  EXPECT_EQ(attribute(b, "Name"), "B");
  const xml::NodeRef y = b->firstChild();
  EXPECT_EQ(y->nodeName(), "Value");
  EXPECT_EQ(attribute(y, "Type"), "4");
  EXPECT_EQ(attribute(y, "Name"), "y");
  EXPECT_EQ(attribute(y, "Data"), "007");

  const xml::NodeRef x = a->lastChild();
  EXPECT_EQ(x->nodeName(), "Value");
  EXPECT_EQ(attribute(x, "Type"), "1");
  EXPECT_EQ(attribute(x, "Name"), "x");
  EXPECT_EQ(attribute(x, "Data"), "1");
  // Attributes in the order they were added.
  EXPECT_LT(text.find("HKey="), text.find("Section="));
  EXPECT_LT(text.find("Type="), text.find("Data="));
}

TEST_F(RegistryBranchXmlTest, BranchWrittenUnderAnotherSectionIsTheSameBranch) {
  writeExampleBranch();
  r->QX_Reg_WriteSetting(kHKCU, "odd", 1, Variant("<&\"' é>"), "App", "Sec");
  const std::string text = r->QX_Reg_ReadBranchAsXML(kHKCU, "App", "Sec");
  r->QX_Reg_WriteBranchFromXML(kHKLM, text, "Other", "Place");

  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKLM, "x", "Other", "Place\\A"), "1");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKLM, "y", "Other", "Place\\A\\B"), "007");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKLM, "odd", "Other", "Place"), "<&\"' é>");
  std::uint32_t type = 0;
  registry::Bytes data;
  ASSERT_EQ(registry::queryValue(kMachine, kProduct + "\\Other\\Place\\A\\B", "y", type, data),
            registry::kSuccess);
  EXPECT_EQ(type, registry::kRegDword);
  EXPECT_EQ(registry::readDword(data), 7u);
  ASSERT_EQ(registry::queryValue(kMachine, kProduct + "\\Other\\Place\\A", "x", type, data),
            registry::kSuccess);
  EXPECT_EQ(type, registry::kRegSz);
  EXPECT_EQ(data, registry::makeString("1"));

  // Read back from its new place, the text differs only in its sections.
  std::string again = r->QX_Reg_ReadBranchAsXML(kHKLM, "Other", "Place");
  std::string expected = text;
  for (std::string* t : {&again, &expected}) {
    for (const std::string& from : {std::string("-2147483646"), std::string("-2147483647"),
                                    kProduct + "\\Other\\Place", kProduct + "\\App\\Sec"}) {
      for (size_t at = t->find(from); at != std::string::npos; at = t->find(from, at)) {
        t->replace(at, from.size(), "*");
      }
    }
  }
  EXPECT_EQ(again, expected);
}

TEST_F(RegistryBranchXmlTest, EmptyKeysAndBinaryValuesLeaveNoTrace) {
  registry::createKey(kUser, kProduct + "\\App\\Sec\\Empty");
  registry::setValue(kUser, kProduct + "\\App\\Sec", "bin", registry::kRegBinary, {1, 2});
  registry::setValue(kUser, kProduct + "\\App\\Sec", "exp", registry::kRegExpandSz,
                     registry::makeString("%HOME%"));
  const std::string text = r->QX_Reg_ReadBranchAsXML(kHKCU, "App", "Sec");
  const auto doc = parse(text);
  const xml::NodeRef root = doc->documentElement();
  ASSERT_EQ(root->childNodes()->length(), 1);
  EXPECT_EQ(attribute(root->firstChild(), "Name"), "Empty");
  EXPECT_FALSE(root->firstChild()->hasChildNodes());
  EXPECT_EQ(text.find("bin"), std::string::npos);

  r->QX_Reg_WriteBranchFromXML(kHKCU, text, "Copy");
  EXPECT_NE(registry::openKey(kUser, kProduct + "\\Copy\\Empty"), registry::kSuccess);
  EXPECT_NE(registry::openKey(kUser, kProduct + "\\Copy"), registry::kSuccess);
}

// The branch text is the text of the document the XML helper builds from
// the same keys and values, to the byte: escapes, character references of
// letters past ASCII, empty-element tags, attribute order.
TEST_F(RegistryBranchXmlTest, TheTextIsTheDocumentsOwnText) {
  const std::string odd = "<&\"'> é\t\r\n ∑ \xF0\x9F\x98\x80 \x01 end";
  registry::createKey(kUser, kProduct + "\\App\\Sec\\Empty");
  r->QX_Reg_WriteSetting(kHKCU, "plain", 1, Variant("1"), "App", "Sec");
  r->QX_Reg_WriteSetting(kHKCU, "odd \"name\" é", 1, Variant(odd), "App", "Sec\\K é<&>");
  r->QX_Reg_WriteSetting(kHKCU, "n", 4, Variant(42), "App", "Sec\\K é<&>\\Deeper");
  registry::createKey(kUser, kProduct + "\\App\\Sec\\K é<&>\\Empty Too");

  QX_XMLHelper helper;
  XmlDocumentRef document;
  const xml::NodeRef root = helper.QX_XML_AddOrSetRoot(document, "Quillane");
  const std::string hkey = std::to_string(kHKCU);
  const std::string sec = kProduct + "\\App\\Sec";
  const auto key = [&](const xml::NodeRef& parent, const std::string& section,
                       const std::string& name) {
    const xml::NodeRef element = helper.QX_XML_AddNode(document, parent, "Key");
    helper.QX_XML_AddAttribute(document, element, "HKey", hkey);
    helper.QX_XML_AddAttribute(document, element, "Section", section);
    helper.QX_XML_AddAttribute(document, element, "Name", name);
    return element;
  };
  const auto value = [&](const xml::NodeRef& parent, const std::string& type,
                         const std::string& name, const std::string& data) {
    const xml::NodeRef element = helper.QX_XML_AddNode(document, parent, "Value");
    helper.QX_XML_AddAttribute(document, element, "Type", type);
    helper.QX_XML_AddAttribute(document, element, "Name", name);
    helper.QX_XML_AddAttribute(document, element, "Data", data);
  };
  key(root, sec, "Empty");
  const xml::NodeRef k = key(root, sec, "K é<&>");
  const xml::NodeRef deeper = key(k, sec + "\\K é<&>", "Deeper");
  value(deeper, "4", "n", "042");
  key(k, sec + "\\K é<&>", "Empty Too");
  value(k, "1", "odd \"name\" é", odd);
  value(root, "1", "plain", "1");

  const std::string text = r->QX_Reg_ReadBranchAsXML(kHKCU, "App", "Sec");
  EXPECT_EQ(text, document->xml());
  EXPECT_NE(text.find("&lt;&amp;&quot;'&gt; é&#9;&#13;&#10;"), std::string::npos) << text;
  EXPECT_EQ(r->QX_Reg_ReadBranchAsXML(kHKCU, "Nothing", "Here"), "<Quillane/>\r\n");
}

TEST_F(RegistryBranchXmlTest, MissingBranchGivesTheBareDocumentElement) {
  const auto doc = parse(r->QX_Reg_ReadBranchAsXML(kHKCU, "Nothing", "Here"));
  EXPECT_EQ(doc->documentElement()->nodeName(), "Quillane");
  EXPECT_FALSE(doc->documentElement()->hasChildNodes());
}

TEST_F(RegistryBranchXmlTest, TextsThatDoNotParseOrHaveNoStartElementChangeNothing) {
  for (const std::string& text :
       {std::string("<Quillane><Value Type='1' Name='a' Data='1'>"), std::string(""),
        std::string("not xml at all"),
        std::string("<Other><Value Type='1' Name='a' Data='1'/></Other>"),
        std::string("<Root><Quillane><Value Type='1' Name='a' Data='1'/></Quillane></Root>")}) {
    EXPECT_NO_THROW(r->QX_Reg_WriteBranchFromXML(kHKCU, text, "App")) << text;
  }
  EXPECT_NE(registry::openKey(kUser, kProduct + "\\App"), registry::kSuccess);
}

TEST_F(RegistryBranchXmlTest, ElementsWithoutTheirAttributesRaiseAfterEarlierWrites) {
  const std::string missingName =
      "<Quillane><Value Type='1' Name='a' Data='1'/><Value Type='1' Data='2'/>"
      "<Value Type='1' Name='c' Data='3'/></Quillane>";
  EXPECT_EQ(errorNumber([&] { r->QX_Reg_WriteBranchFromXML(kHKCU, missingName, "App"); }), 91);
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "a", "App"), "1");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "c", "App"), "Not Found");

  const std::string keyWithoutName =
      "<Quillane><Value Type='4' Name='n' Data='5'/><Key HKey='1'/></Quillane>";
  EXPECT_EQ(errorNumber([&] { r->QX_Reg_WriteBranchFromXML(kHKCU, keyWithoutName, "K"); }), 91);
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "n", "K"), "005");

  EXPECT_EQ(errorNumber([&] {
              r->QX_Reg_WriteBranchFromXML(kHKCU, "<Quillane><Value Name='t' Data='x'/></Quillane>",
                                           "T");
            }),
            91);
}

TEST_F(RegistryBranchXmlTest, TypesAndDataAreReadAsNumbers) {
  const std::string text =
      "<Quillane>"
      "<Value Type='4' Name='num' Data='0012'/>"
      "<Value Type='4' Name='junk' Data='abc'/>"
      "<Value Type=' 1 ' Name='str' Data='007'/>"
      "<Value Type='2' Name='exp' Data='xyz'/>"
      "<Other Type='1' Name='skipped' Data='1'/>"
      "<Key Name='Sub'><Value Type='1' Name='deep' Data='d'/></Key>"
      "</Quillane>";
  r->QX_Reg_WriteBranchFromXML(kHKCU, text, "App");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "num", "App"), "012");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "junk", "App"), "000");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "str", "App"), "007");
  // Any type other than a number is stored as a string, without a
  // terminator unless it is the string type itself.
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "exp", "App"), "xy");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "skipped", "App"), "Not Found");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "deep", "App", "Sub"), "d");
}

TEST_F(RegistryBranchXmlTest, CorruptStoreReadsAnEmptyBranchAndWritesNothing) {
  r->QX_Reg_WriteSetting(kHKCU, "v", 1, Variant("1"), "App");
  const std::filesystem::path file = registry::databasePath(kUser);
  registry::closeThreadConnections();
  std::filesystem::remove(file.string() + "-wal");
  std::filesystem::remove(file.string() + "-shm");
  test::writeFile(file, std::string(8192, 'x'));

  const auto doc = parse(r->QX_Reg_ReadBranchAsXML(kHKCU, "App"));
  EXPECT_FALSE(doc->documentElement()->hasChildNodes());
  EXPECT_NO_THROW(r->QX_Reg_WriteBranchFromXML(
      kHKCU, "<Quillane><Value Type='1' Name='a' Data='1'/></Quillane>", "App"));
  EXPECT_EQ(test::readFile(file), std::string(8192, 'x'));
  // Elements that lack attributes still fail, store or no store.
  EXPECT_EQ(errorNumber([&] {
              r->QX_Reg_WriteBranchFromXML(kHKCU, "<Quillane><Value Type='1'/></Quillane>", "A");
            }),
            91);

  registry::closeThreadConnections();
  std::filesystem::remove(file);
  registry::clearFailures();
}

TEST_F(RegistryBranchXmlTest, DeepOrOddInputNeitherCrashesNorLeavesBadText) {
  std::string deep = "<Quillane>";
  for (int i = 0; i < 3000; ++i) deep += "<Key Name='k'>";
  deep += "<Value Type='1' Name='v' Data='1'/>";
  for (int i = 0; i < 3000; ++i) deep += "</Key>";
  deep += "</Quillane>";
  EXPECT_NO_THROW(r->QX_Reg_WriteBranchFromXML(kHKCU, deep, "Deep"));

  registry::setValue(kUser, kProduct + "\\Odd", "bytes", registry::kRegSz, {'a', 0xFF, 0xFE, 0});
  const std::string text = r->QX_Reg_ReadBranchAsXML(kHKCU, "Odd");
  auto doc = xml::XmlDocument::create();
  doc->async = false;
  ASSERT_TRUE(doc->loadXML(text)) << text;
  // Data that is not UTF-8 reads as 8-bit text.
  EXPECT_EQ(attribute(doc->documentElement()->firstChild(), "Data"), "a\xC3\xBF\xC3\xBE");
}

TEST_F(RegistryBranchXmlTest, LateBoundBranchCalls) {
  writeExampleBranch();
  Object reg = createObject("QXVBUtils.QX_Registry");
  const std::string text =
      CStr(reg->call("QX_Reg_ReadBranchAsXML", {Variant(kHKCU), Variant("App"), Variant("Sec")}));
  EXPECT_NE(text.find("Name=\"B\""), std::string::npos);
  reg->call("QX_Reg_WriteBranchFromXML", {Variant(kHKCU), Variant(text), Variant("Copy")});
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "y", "Copy", "A\\B"), "007");
  const std::string whole = CStr(reg->call("qx_reg_readbranchasxml", {Variant(kHKCU)}));
  EXPECT_NE(whole.find("Name=\"Copy\""), std::string::npos);
  EXPECT_EQ(errorNumber([&] { reg->call("QX_Reg_WriteBranchFromXML", {Variant(kHKCU)}); }), 449);
}

}  // namespace
}  // namespace qxvb

namespace qxvb {
namespace {

TEST_F(RegistryBranchXmlTest, ABranchOnAFullDiskIsWrittenWholeOrNotAtAll) {
  test::SmallFileSystem small(512, "full-branch");
  QXVB_REQUIRE_SMALL_FS(small);
  const std::string saved = std::getenv("XDG_CONFIG_HOME");
  registry::closeThreadConnections();
  setenv("XDG_CONFIG_HOME", small.root().c_str(), 1);
  r->QX_Reg_WriteSetting(kHKCU, "before", 1, Variant("kept"), "App", "Sec");
  // About 1 MB of values for a 512 kB file system.
  std::string text = "<Quillane>";
  const std::string data(500, 'd');
  for (int i = 0; i < 2000; ++i) {
    text += "<Value Type='1' Name='v" + std::to_string(i) + "' Data='" + data + "'/>";
  }
  text += "</Quillane>";
  EXPECT_NO_THROW(r->QX_Reg_WriteBranchFromXML(kHKCU, text, "Big"));
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "v0", "Big"), "Not Found");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "v1999", "Big"), "Not Found");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "before", "App", "Sec"), "kept");
  registry::closeThreadConnections();
  setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace qxvb
