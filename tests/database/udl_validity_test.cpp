// QX_ADO_IsValidUDLWithDetails: a data-link file is valid when it names a
// server and an encyclopedia and either a user or integrated security.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/qx_ado_utilities.h"
#include "frame/catalogue.h"
#include "support/sandbox.h"

namespace qxvb {
namespace {

class UdlValidity : public ::testing::Test {
 protected:
  void SetUp() override {
    // Whether a file exists is asked of QX_File_Utils by name.
    if (globalInstance("QX_File_Utils")->dispatchTable().find("QX_File_Exists", kMethod) ==
        nullptr) {
      GTEST_SKIP() << "QX_File_Utils does not offer QX_File_Exists in this build";
    }
  }
  std::string udlWith(const std::string& connectionString) {
    const std::string file = (folder_ / ("f" + std::to_string(count_++) + ".udl")).string();
    ado_.QX_ADO_CreateUDLFile(file, connectionString);
    return file;
  }
  struct Details {
    Variant valid;
    std::string server = "s?", user = "u?", password = "p?", ency = "e?";
    int32_t security = 99;
  };
  Details check(const std::string& file) {
    Details d;
    d.valid =
        ado_.QX_ADO_IsValidUDLWithDetails(file, d.server, d.user, d.password, d.ency, d.security);
    return d;
  }

  QX_ADO_Utilities ado_;
  std::filesystem::path folder_ = test::freshFolder("udl-valid");
  int count_ = 0;
};

TEST_F(UdlValidity, UserAndPasswordFile) {
  const Details d = check(
      udlWith("Provider=SQLOLEDB.1;User ID=sa;Password=pw;Initial Catalog=Repo;Data Source=s1"));
  EXPECT_EQ(d.valid, Variant(true));
  EXPECT_EQ(d.server, "s1");
  EXPECT_EQ(d.user, "sa");
  EXPECT_EQ(d.password, "pw");
  EXPECT_EQ(d.ency, "Repo");
  EXPECT_EQ(d.security, QXST_SEC_USR);
}

TEST_F(UdlValidity, IntegratedSecurityNeedsNoUser) {
  const Details d = check(
      udlWith("Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Repo;Data Source=s"));
  EXPECT_EQ(d.valid, Variant(true));
  EXPECT_EQ(d.user, "");
  EXPECT_EQ(d.security, QXST_SEC_WIN);
}

TEST_F(UdlValidity, IncompleteStringsAreNotValid) {
  EXPECT_EQ(check(udlWith("Provider=P;Initial Catalog=Repo;Data Source=s")).valid, Variant(false));
  EXPECT_EQ(check(udlWith("Provider=P;User ID=u;Data Source=s")).valid, Variant(false));
  EXPECT_EQ(check(udlWith("Provider=P;User ID=u;Initial Catalog=Repo")).valid, Variant(false));
}

TEST_F(UdlValidity, MissingOrUnreadableFileIsNotValid) {
  Details d = check((folder_ / "absent.udl").string());
  EXPECT_EQ(d.valid, Variant(false));
  EXPECT_EQ(d.security, 0);
  EXPECT_EQ(d.server, "s?");
  d = check("");
  EXPECT_EQ(d.valid, Variant(false));
  // A file without a connection line leaves the outputs as they were.
  const std::string empty = (folder_ / "empty.udl").string();
  test::writeFile(empty, "");
  d = check(empty);
  EXPECT_EQ(d.valid, Variant(false));
  EXPECT_EQ(d.security, 0);
  EXPECT_EQ(d.ency, "e?");
}

TEST_F(UdlValidity, LateBoundOutputs) {
  const std::string file =
      udlWith("Provider=OraOLEDB.Oracle.1;OSAuthent=1;Initial Catalog=SCOTT;Data Source=orcl");
  std::vector<Variant> args{Variant(file), Variant(), Variant(), Variant(), Variant(), Variant()};
  Object ado = createObject("QXVBUtils.QX_ADO_Utilities");
  EXPECT_EQ(ado->invoke("QX_ADO_IsValidUDLWithDetails", kMethod, args), Variant(true));
  EXPECT_EQ(args[1], Variant("orcl"));
  EXPECT_EQ(args[4], Variant("SCOTT"));
  EXPECT_EQ(args[5], Variant(int32_t{QXST_SEC_WIN}));
}

}  // namespace
}  // namespace qxvb
