// The host application's small implementation: model files and their
// import, the automation objects, and the low-level interface's answers.
#include <gtest/gtest.h>

#include <filesystem>

#include "ado/connection.h"
#include "components/qxhost/host_codes.h"
#include "components/qxhost/host_interface.h"
#include "components/qxhost/model_file.h"
#include "components/qxhost/model_tables.h"
#include "components/qxhost/running_host.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/vb_conversions.h"
#include "support/diagram_models.h"
#include "support/errors.h"
#include "support/sandbox.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;
using qxhost::ModelError;
using qxhost::parseModel;

const char* const kTypes = "<DiagramType Number=\"1\" Name=\"Process Diagram\"/>";

std::string model(const std::string& body) {
  return std::string("<Model>") + kTypes + body + "</Model>";
}

std::string modelError(const std::string& text) {
  try {
    parseModel(text, "m.xml");
  } catch (const ModelError& e) {
    return e.what();
  }
  return "accepted";
}

TEST(ModelFile, SampleModelParses) {
  const qxhost::ModelFile m = qxhost::readModelFile(sampleModelFile().string());
  ASSERT_EQ(m.diagrams.size(), 4u);
  EXPECT_EQ(m.diagrams[0].name, "Order Handling Overview");
  EXPECT_EQ(m.diagrams[0].symbols.size(), 8u);
  EXPECT_EQ(m.diagrams[0].symbols[2].related, (std::vector<int32_t>{2}));
  EXPECT_EQ(m.diagrams[0].symbols[2].level, 1);  // inside the department
  EXPECT_TRUE(m.diagramTypes[2].secondNotation);
}

TEST(ModelFile, MistakesAreNamedWithTheirLine) {
  EXPECT_EQ(modelError(model("\n<Diagram DDID=\"1\" Name=\"A\" Type=\"1\" Colour=\"red\"/>")),
            "m.xml:2: element Diagram has no attribute Colour");
  EXPECT_EQ(modelError(model("<Diagram DDID=\"0\" Name=\"A\" Type=\"1\"/>")),
            "m.xml:1: DDID must be greater than 0");
  EXPECT_EQ(modelError(model("<Diagram DDID=\"1\" Name=\"A\" Type=\"1\"><Symbol DDID=\"2\" "
                             "Name=\"S\" Type=\"3\" Left=\"10\" Top=\"0\" Right=\"5\" "
                             "Bottom=\"5\"/></Diagram>")),
            "m.xml:1: Right is smaller than Left");
  EXPECT_EQ(modelError(model("<Diagram DDID=\"1\" Name=\"A\" Type=\"1\" Right=\"2000000000\"/>")),
            "m.xml:1: Right 2000000000 is out of range");
  EXPECT_EQ(modelError(model("<Diagram DDID=\"1\" Name=\"A\" Type=\"1\"/><Diagram DDID=\"1\" "
                             "Name=\"B\" Type=\"1\"/>")),
            "m.xml:1: diagram 1 appears twice");
  EXPECT_EQ(modelError(model("<Diagram DDID=\"1\" Name=\"A\" Type=\"1\"><Line From=\"5\" "
                             "To=\"6\"/></Diagram>")),
            "m.xml:1: a Line joins symbols of its own diagram only");
  EXPECT_EQ(modelError("<Model><Diagram").rfind("m.xml:1: ", 0), 0u);
  EXPECT_EQ(modelError("<Other/>"), "m.xml:1: the root element is not Model");
}

TEST(ModelFile, ExternalEntitiesAreNeverRead) {
  const fs::path secret = freshFolder("secret") / "secret.txt";
  writeFile(secret, "secret text");
  const std::string text = "<!DOCTYPE Model [<!ENTITY s SYSTEM \"" + secret.string() + "\">]>" +
                           model("<Diagram DDID=\"1\" Name=\"&s;\" Type=\"1\"/>");
  std::string name;
  try {
    name = parseModel(text, "m.xml").diagrams.at(0).name;
  } catch (const ModelError&) {
  }
  EXPECT_EQ(name.find("secret text"), std::string::npos);
}

TEST(ModelFile, FilesThatAreNotRegularAreRefused) {
  const fs::path folder = freshFolder("fifo");
  ASSERT_EQ(::mkfifo((folder / "model.xml").c_str(), 0600), 0);
  EXPECT_THROW(qxhost::readModelFile((folder / "model.xml").string()), ModelError);
  EXPECT_THROW(qxhost::readModelFile((folder / "missing.xml").string()), ModelError);
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = freshFolder("host");
    repository_ = makeDiagramRepository(folder_, readFile(sampleModelFile()));
  }
  void TearDown() override { qxhost::closeRepository(); }
  fs::path folder_;
  fs::path repository_;
};

TEST_F(HostTest, ImportReplacesDiagramsAndRefusesDanglingReferences) {
  const auto shared = std::make_shared<ado::Connection>();
  ado::Connection& connection = *shared;
  connection.Open("Provider=QXVB.SQLite;Data Source=" + repository_.string());
  const auto report = qxhost::importModel(
      connection, parseModel(model("<Diagram DDID=\"3\" Name=\"New Stock\" Type=\"1\"/>"), "m"));
  EXPECT_EQ(report.replaced, 1);
  EXPECT_EQ(qxhost::readDiagram(connection, 3)->symbols.size(), 0u);
  EXPECT_EQ(qxhost::readDiagram(connection, 3)->name, "New Stock");
  const auto refuse = [&](const std::string& body, const std::string& message) {
    try {
      qxhost::importModel(connection, parseModel(model(body), "m"));
      ADD_FAILURE() << "accepted " << body;
    } catch (const ModelError& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
  };
  refuse(
      "<Diagram DDID=\"9\" Name=\"X\" Type=\"1\"><Symbol DDID=\"901\" Name=\"S\" Type=\"3\" "
      "Left=\"0\" Top=\"0\" Right=\"1\" Bottom=\"1\"><Related DDID=\"55\"/></Symbol></Diagram>",
      "diagram 9: symbol 901 refers to diagram 55, which does not exist");
  refuse(
      "<Diagram DDID=\"9\" Name=\"X\" Type=\"1\"><Symbol DDID=\"102\" Name=\"S\" Type=\"3\" "
      "Left=\"0\" Top=\"0\" Right=\"1\" Bottom=\"1\"/></Diagram>",
      "diagram 9: identifier 102 belongs to another item of the repository");
  refuse("<Diagram DDID=\"9\" Name=\"X\" Type=\"77\"/>",
         "diagram 9: diagram type 77 is not defined");
  // Refused imports change nothing.
  EXPECT_FALSE(qxhost::readDiagramHeader(connection, 9));
  EXPECT_EQ(qxhost::listDiagrams(connection).size(), 4u);
  connection.Close();
}

TEST_F(HostTest, ApplicationAnswersNothingUntilARepositoryIsOpen) {
  const Object app = createObject("QxHost.Application");
  EXPECT_FALSE(CObj(app->getProperty("Ruzuderedevu")));
  EXPECT_TRUE(CObj(app->call("Interface", {Variant("IQXIMF")})));
  EXPECT_FALSE(CObj(app->call("Interface", {Variant("IOther")})));
  app->call("OpenRuzuderedevu", {Variant(repository_.string())});
  // Every application object of the process sees the open repository.
  const Object other = createObject("QXHOST.APPLICATION");
  const Object repo = CObj(other->getProperty("Ruzuderedevu"));
  ASSERT_TRUE(repo);
  EXPECT_EQ(CLng(CObj(repo->getProperty("Diagrams"))->getProperty("Count")), 4);
  EXPECT_EQ(errorNumber([&] { repo->call("GetDiagramById", {Variant(int32_t{99})}); }),
            static_cast<int32_t>(0x80040000u + 1001));
  other->call("CloseRuzuderedevu");
  EXPECT_FALSE(CObj(app->getProperty("Ruzuderedevu")));
  EXPECT_NE(errorNumber([&] { app->call("OpenRuzuderedevu", {Variant("/no/such/file.qxr")}); }), 0);
}

class InterfaceTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    qxhost::openRepository(repository_.string());
    app_ = createObject("QxHost.Application");
    host_ = std::static_pointer_cast<qxhost::HostInterface>(
        CObj(app_->call("Interface", {Variant("IQXIMF")})));
    std::vector<Variant> id{Variant(int32_t{1})};
    diagram_ = CObj(CObj(app_->getProperty("Ruzuderedevu"))->invoke("GetDiagramById", kMethod, id));
    diagram_->call("Show");
    window_ = CLng(diagram_->getProperty("Handle"));
  }
  void TearDown() override {
    diagram_->call("Hide");
    HostTest::TearDown();
  }
  Object app_;
  std::shared_ptr<qxhost::HostInterface> host_;
  Object diagram_;
  int32_t window_ = 0;
};

TEST_F(InterfaceTest, SymbolsAndRelatedDiagramsAreReadThroughHandles) {
  ASSERT_NE(window_, 0);
  int32_t position = 0;
  int32_t id = 0;
  std::vector<int32_t> ids;
  while (host_->QXFindSymbol(window_, position, id) == 0) ids.push_back(id);
  EXPECT_EQ(ids, (std::vector<int32_t>{101, 102, 103, 104, 105, 106, 107, 108}));
  EXPECT_EQ(host_->QXFindSymbol(window_, position, id), qxhost::code::kNoMoreItems);
  const int32_t symbol = host_->QXOpenSymbol(window_, 103);
  ASSERT_NE(symbol, 0);
  std::string buffer;
  EXPECT_EQ(host_->QXGetSymbolField(symbol, qxhost::symbol_field::kFlags, buffer, 500), 6);
  EXPECT_EQ(buffer, std::string("0x0002") + '\0');
  EXPECT_EQ(host_->QXGetSymbolField(symbol, qxhost::symbol_field::kName, buffer, 5), 4);
  EXPECT_EQ(buffer, std::string("Take") + '\0');
  EXPECT_EQ(host_->QXGetSymbolField(symbol, 999, buffer, 50), -1);
  position = 0;
  ASSERT_EQ(host_->QXFindRelatedId(symbol, position, id), 0);
  EXPECT_EQ(id, 2);
  EXPECT_EQ(host_->QXFindRelatedId(symbol, position, id), qxhost::code::kNoMoreItems);
  EXPECT_EQ(host_->QXCloseSymbol(symbol), 0);
  EXPECT_EQ(host_->QXCloseSymbol(symbol), qxhost::code::kInvalidHandle);
  EXPECT_EQ(host_->QXGetSymbolField(symbol, 1, buffer, 50), -1);
  // Symbols of diagrams without a window open by identifier.
  const int32_t other = host_->QXOpenSymbolByID(202);
  ASSERT_NE(other, 0);
  host_->QXGetSymbolField(other, qxhost::symbol_field::kProblem, buffer, 500);
  EXPECT_EQ(buffer.substr(0, buffer.find('\0')), "Record Order has no flow into the Orders store.");
  EXPECT_EQ(host_->QXOpenSymbolByID(999999), 0);
  const int32_t related = host_->QXOpenDiagram(2);
  host_->QXGetDiagramField(related, qxhost::diagram_field::kName, buffer, 255);
  EXPECT_EQ(buffer.substr(0, buffer.find('\0')), "Take Order");
  EXPECT_EQ(host_->QXCloseDiagram(related), 0);
  EXPECT_EQ(host_->QXOpenDiagram(99), 0);
}

TEST_F(InterfaceTest, BitmapRequestsOutsideTheLimitsAreRefused) {
  const std::string file = (folder_ / "b.bmp").string();
  EXPECT_EQ(host_->QXCreateDiagramBitMap(window_, 0, 0, 100, 100, 0, 10, file),
            qxhost::code::kInvalidParameter);
  EXPECT_EQ(host_->QXCreateDiagramBitMap(window_, 0, 0, 0, 100, 10, 10, file),
            qxhost::code::kInvalidParameter);
  EXPECT_EQ(host_->QXCreateDiagramBitMap(window_, 0, 0, 100, 100, 3000, 3000, file),
            qxhost::code::kBitmapTooLarge);
  EXPECT_EQ(host_->QXCreateDiagramBitMap(12345, 0, 0, 100, 100, 10, 10, file),
            qxhost::code::kInvalidWindowHandle);
  EXPECT_EQ(host_->QXCreateDiagramBitMap(window_, 0, 0, 100, 100, 10, 10,
                                         (folder_ / "missing" / "b.bmp").string()),
            qxhost::code::kPathNotFound);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(host_->QXCreateDiagramBitMap(window_, 0, 0, 100, 100, 10, 10, file), 0);
  EXPECT_TRUE(fs::exists(file));
}

TEST_F(InterfaceTest, SecondNotationDiagramsExportTheirDrawingWithItsSize) {
  std::vector<Variant> id{Variant(int32_t{4})};
  const Object states =
      CObj(CObj(app_->getProperty("Ruzuderedevu"))->invoke("GetDiagramById", kMethod, id));
  bool second = false;
  host_->QXIsThisaZEBDiagramType(CLng(states->getProperty("QxType")), second);
  EXPECT_TRUE(second);
  const std::string dgx = CStr(states->call("getProperty", {Variant("DGX File Name")}));
  ASSERT_EQ(dgx.substr(dgx.size() - 4), ".dgx");
  EXPECT_EQ(host_->QXFileExport(dgx, states), 0);
  const std::string text = readFile(dgx);
  EXPECT_NE(text.find("<u2 Size=\"9600,4500\">"), std::string::npos);
  EXPECT_NE(text.find("<Shape ID=\"401\" Name=\"New\" TypeNumber=\"8\" Left=\"600\" Top=\"1650\" "
                      "Right=\"2400\" Bottom=\"2550\"/>"),
            std::string::npos);
  // Ordinary diagrams have no drawing file.
  EXPECT_EQ(CStr(diagram_->call("getProperty", {Variant("DGX File Name")})), "");
  EXPECT_EQ(host_->QXFileExport(dgx, diagram_), qxhost::code::kInvalidFunction);
}

}  // namespace
}  // namespace qxvb::test
