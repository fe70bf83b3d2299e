// XML that may be hostile: external entities and DTDs reading local files,
// FIFOs and devices in the place of documents, DTDs and schema parts.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "frame/catalogue.h"
#include "registry_fixture.h"
#include "settings/registry/qx_registry.h"
#include "settings/xml_helper.h"
#include "support/child_process.h"
#include "support/sandbox.h"
#include "xml/dom_document.h"

namespace qxvb {
namespace {

namespace fs = std::filesystem;

// Runs work in a child with an alarm: a read that blocks fails the test
// instead of hanging it.
bool finishesInTime(const std::function<bool()>& work) {
  const pid_t child = test::forkChild([&] {
    ::alarm(20);
    return work();
  });
  return child > 0 && test::exitCodeOf(child) == 0;
}

class HostileXmlTest : public test::RegistrySettingsTest {
 protected:
  void SetUp() override {
    RegistrySettingsTest::SetUp();
    folder_ = test::freshFolder("hostile-xml");
    secret_ = folder_ / "secret.txt";
    test::writeFile(secret_, "TOP-SECRET-LINE");
  }
  fs::path folder_;
  fs::path secret_;
};

TEST_F(HostileXmlTest, ABranchNeverTakesInAnythingExternal) {
  auto r = std::static_pointer_cast<QX_Registry>(createObject("QXVBUtils.QX_Registry"));
  test::writeFile(folder_ / "evil.dtd",
                  "<!ENTITY % file SYSTEM \"file://" + secret_.string() +
                      "\"><!ENTITY % wrap \"<!ENTITY leak '%file;'>\">%wrap;");
  const std::string general = "<!DOCTYPE Quillane [<!ENTITY x SYSTEM \"file://" + secret_.string() +
                              "\">]><Quillane><Value Type='1' Name='g' Data='&x;'/></Quillane>";
  const std::string parameter = "<!DOCTYPE Quillane SYSTEM \"" + (folder_ / "evil.dtd").string() +
                                "\"><Quillane><Value Type='1' Name='p' Data='&leak;'/></Quillane>";
  const std::string internal = "<!DOCTYPE Quillane [<!ENTITY % file SYSTEM \"" + secret_.string() +
                               "\"><!ENTITY % eval \"<!ENTITY leak2 '%file;'>\">%eval;]>"
                               "<Quillane><Value Type='1' Name='q' Data='&leak2;'/></Quillane>";
  for (const std::string& text : {general, parameter, internal}) {
    try {
      r->QX_Reg_WriteBranchFromXML(kHKCU, text, "App");
    } catch (const std::exception&) {
      // Refusing the text is as good as ignoring it.
    }
  }
  const std::string all = r->QX_Reg_ReadBranchAsXML(kHKCU, "App", "");
  EXPECT_EQ(all.find("TOP-SECRET"), std::string::npos) << all;
}

TEST_F(HostileXmlTest, CallerDocumentsFollowResolveExternalsAndReadOnlyRegularFiles) {
  const std::string text =
      "<!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + secret_.string() + "\">]><r>&x;</r>";
  auto off = xml::XmlDocument::create();
  off->resolveExternals = false;
  off->loadXML(text);
  EXPECT_EQ(off->xml().find("TOP-SECRET"), std::string::npos);

  ASSERT_EQ(::mkfifo((folder_ / "pipe.xml").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((folder_ / "pipe.ent").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((folder_ / "pipe.xsd").c_str(), 0600), 0);
  test::writeFile(
      folder_ / "uses-pipe.xml",
      "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + (folder_ / "pipe.ent").string() + "\">]><r>&x;</r>");
  test::writeFile(folder_ / "doc.xml", "<r xmlns='urn:t'/>");
  test::writeFile(folder_ / "includes-pipe.xsd",
                  "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema' targetNamespace='urn:t'>"
                  "<xs:include schemaLocation='pipe.xsd'/></xs:schema>");
  const fs::path folder = folder_;
  EXPECT_TRUE(finishesInTime([folder] {
    auto helper = sharedXmlHelper();
    bool ok = helper->QX_XML_OpenDomDoc((folder / "pipe.xml").string()) == nullptr;
    ok = ok && helper->QX_XML_OpenDomDoc("/dev/zero") == nullptr;
    // The entity that names a FIFO is not read; the document may fail or
    // load without it, but never waits.
    auto doc = xml::XmlDocument::create();
    doc->load((folder / "uses-pipe.xml").string());
    try {
      helper->QX_XML_ValidateSchema((folder / "doc.xml").string(),
                                    (folder / "includes-pipe.xsd").string());
    } catch (const std::exception&) {
      // A schema whose part cannot be read is an error, reported at once.
    }
    return ok;
  }));
}

}  // namespace
}  // namespace qxvb
