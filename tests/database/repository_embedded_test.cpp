// The embedded repository: what it is created with, how the version and
// credential checks recognise it, and the refusals of its creation.
#include <gtest/gtest.h>

#include <filesystem>

#include "database/qx_ado_utilities.h"
#include "database/repository/embedded_repository.h"
#include "database/repository_codes.h"
#include "frame/catalogue.h"
#include "frame/module_state.h"
#include "frame/vb_conversions.h"
#include "repository_version.h"
#include "support/sandbox.h"

namespace qxvb {
namespace {

namespace fs = std::filesystem;

class EmbeddedRepository : public ::testing::Test {
 protected:
  void SetUp() override {
    unloadThread();
    file_ = (test::freshFolder("embedded") / "repo;one.qxr").string();
    report_ = createEmbeddedRepository(file_);
    cs_ = embeddedConnectionString(file_);
  }
  void execute(const std::string& sql) {
    auto connection = ado_.QX_ADO_OpenConnection(cs_);
    connection->Execute(sql);
    connection->Close();
  }
  int32_t version(int32_t expected, bool* same = nullptr) {
    return test::repositoryVersion(ado_, cs_, expected, same);
  }

  QX_ADO_Utilities ado_;
  std::string file_;
  std::string cs_;
  EmbeddedRepositoryReport report_;
};

TEST_F(EmbeddedRepository, CreatedWithTheTablesTheChecksRead) {
  EXPECT_EQ(report_.tables, (std::vector<std::string>{"Entity", "Relationship", "QXProperties",
                                                      "Network_LOG", "Files"}));
  EXPECT_TRUE(report_.skipped.empty());
  const EmbeddedRepositoryInfo info = describeEmbeddedRepository(file_);
  EXPECT_EQ(info.version, 514);
  ASSERT_EQ(info.tables.size(), 5u);
  for (const auto& table : info.tables) {
    EXPECT_EQ(table.rows, table.name == "QXProperties" ? 1 : 0) << table.name;
  }
}

TEST_F(EmbeddedRepository, VersionAndEdition) {
  bool same = false;
  EXPECT_EQ(version(514, &same), 514);
  EXPECT_TRUE(same);
  execute("UPDATE QXProperties SET Value = '0' WHERE Name = 'Professional'");
  EXPECT_EQ(version(514, &same), 515);
  EXPECT_FALSE(same);
  execute("DELETE FROM QXProperties");
  EXPECT_EQ(version(514), QXET_INVALID);
  execute("CREATE TABLE Properties (Name TEXT)");
  EXPECT_EQ(version(QXET_NINEZERO, &same), 1);
  EXPECT_TRUE(same);
  execute("DROP TABLE Entity");
  EXPECT_EQ(version(514), QXET_INVALID);
  // The provider is neither server's: the overall version is not checked.
  EXPECT_EQ(ado_.QX_ADO_GetDatabaseVersion(cs_), 33554432);
}

TEST_F(EmbeddedRepository, Credentials) {
  int32_t type = QXET_DBASE;
  EXPECT_TRUE(ado_.QX_ADO_IsUserPasswordOK(cs_, type));
  const std::string missing = embeddedConnectionString(file_ + ".none");
  EXPECT_FALSE(ado_.QX_ADO_IsUserPasswordOK(missing, type));
  EXPECT_FALSE(fs::exists(file_ + ".none"));
  EXPECT_TRUE(ado_.QX_ADO_IsConnectionToServerValid(cs_));
  EXPECT_EQ(ado_.QX_ADO_GetWSPathAsString(1, cs_), "");
}

TEST_F(EmbeddedRepository, CreationRefusals) {
  EXPECT_THROW(createEmbeddedRepository(file_), std::runtime_error);
  EXPECT_EQ(describeEmbeddedRepository(file_).version, 514);
  const fs::path folder = test::freshFolder("embedded-refusals");
  EXPECT_THROW(createEmbeddedRepository((folder / "no" / "repo.qxr").string()), std::exception);
  EXPECT_FALSE(fs::exists(folder / "no"));
  EXPECT_THROW(createEmbeddedRepository(""), std::runtime_error);
  fs::create_symlink(folder / "elsewhere", folder / "dangling");
  EXPECT_THROW(createEmbeddedRepository((folder / "dangling").string()), std::runtime_error);
  EXPECT_FALSE(fs::exists(folder / "elsewhere"));
  EXPECT_THROW(describeEmbeddedRepository((folder / "missing.qxr").string()), std::runtime_error);
  test::writeFile(folder / "text.qxr", "not a database at all, just some text");
  EXPECT_THROW(describeEmbeddedRepository((folder / "text.qxr").string()), std::exception);
}

TEST_F(EmbeddedRepository, LateBoundByName) {
  Object ado = createObject("QXVBUtils.QX_ADO_Utilities");
  std::vector<Variant> args{Variant(cs_), Variant(int32_t{514}), Variant(int16_t{0})};
  EXPECT_EQ(ado->invoke("QX_ADO_IsDatabaseQXVersion", kMethod, args), Variant(true));
  EXPECT_EQ(args[2], Variant(int32_t{514}));
  std::vector<Variant> versionArgs{Variant(cs_)};
  EXPECT_EQ(ado->invoke("QX_ADO_GetDatabaseVersion", kMethod, versionArgs),
            Variant(int32_t{33554432}));
  std::vector<Variant> credentials{Variant(cs_), Variant(int32_t{0})};
  EXPECT_EQ(ado->invoke("QX_ADO_IsUserPasswordOK", kMethod, credentials), Variant(true));
  std::vector<Variant> open{Variant(cs_)};
  const Object connection = CObj(ado->invoke("QX_ADO_OpenConnection", kMethod, open));
  EXPECT_EQ(CLng(connection->getProperty("State")), 1);
  std::vector<Variant> valid{Variant(cs_)};
  EXPECT_EQ(ado->invoke("QX_ADO_IsConnectionToServerValid", kMethod, valid), Variant(true));
  std::vector<Variant> list{Variant(int32_t{0}), Variant(""), Variant(true),
                            Variant(""),         Variant(""), Variant()};
  EXPECT_EQ(ado->invoke("QX_ADO_GetADODBDatabaseList", kMethod, list), Variant(int32_t{0}));
  EXPECT_EQ(CLng(CObj(list[5])->call("Count")), 0);
}

}  // namespace
}  // namespace qxvb
