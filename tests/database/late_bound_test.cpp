// Every member of QX_ADO_Utilities reached by name, as automation callers
// reach it: by-reference outputs, optional defaults, argument conversion,
// and the class in the catalogue as a global multi-use class.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "components/qxdutils/qxdutils_component.h"
#include "database/qx_ado_utilities.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/module_state.h"
#include "support/sandbox.h"

namespace qxvb {
namespace {

class AdoLateBound : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove(qxdutils::defaultProfilePath());
    unloadThread();
    ado_ = createObject("QXVBUtils.QX_ADO_Utilities");
  }
  void TearDown() override {
    ado_.reset();
    unloadThread();
  }
  Variant call(const std::string& member, std::vector<Variant>& args) {
    return ado_->invoke(member, kMethod, args);
  }
  Variant call(const std::string& member) {
    std::vector<Variant> none;
    return call(member, none);
  }
  int32_t errorOf(const std::string& member, std::vector<Variant>& args) {
    try {
      call(member, args);
    } catch (const AutomationError& e) {
      return e.number();
    }
    ADD_FAILURE() << member << " raised no error";
    return 0;
  }
  Object ado_;
};

TEST_F(AdoLateBound, TheCatalogueMakesTheClass) {
  const ClassInfo* info = Catalogue::instance().find("QXVBUtils.QX_ADO_Utilities");
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->clsid, "{51BA400E-A066-466C-A926-E2DD389806BC}");
  EXPECT_EQ(ado_->className(), "QX_ADO_Utilities");
  // The thread's default instance and the library's shared one are
  // objects of the class too, each kept for the thread.
  EXPECT_EQ(globalInstance("QX_ADO_Utilities"), globalInstance("QX_ADO_Utilities"));
  EXPECT_EQ(sharedQX_ADO_Utilities(), sharedQX_ADO_Utilities());
}

TEST_F(AdoLateBound, ItemMembersPassTheStringBack) {
  std::vector<Variant> read{Variant("source"), Variant("Data Source=srv;X=1")};
  EXPECT_EQ(call("qx_ado_readitemfromconnectionstring", read), Variant("srv"));

  std::vector<Variant> write{Variant("B"), Variant("9"), Variant("A=1;B=2")};
  EXPECT_EQ(call("QX_ADO_WriteItemInConnectionString", write), Variant(true));
  EXPECT_EQ(write[2], Variant("A=1;B=9"));

  std::vector<Variant> remove{Variant("A"), Variant("A=1;B=9")};
  EXPECT_EQ(call("QX_ADO_RemoveItemFromConnectionString", remove), Variant(true));
  EXPECT_EQ(remove[1], Variant("B=9"));
  std::vector<Variant> absent{Variant("Z"), Variant("B=9")};
  EXPECT_EQ(call("QX_ADO_RemoveItemFromConnectionString", absent), Variant(false));
  EXPECT_EQ(absent[1], Variant("B=9"));

  std::vector<Variant> extended{Variant("Mode"), Variant("Read"), Variant("Provider=P")};
  EXPECT_EQ(call("QX_ADO_WriteExtendedItemInConnectionString", extended), Variant(true));
  EXPECT_EQ(extended[2], Variant("Provider=P;Extended Properties=\"Mode=Read\""));
  std::vector<Variant> readExtended{Variant("mode"), extended[2]};
  EXPECT_EQ(call("QX_ADO_ReadExtendedItemInConnectionString", readExtended), Variant("Read"));

  // Numbers are converted to strings as the parameters' types demand.
  std::vector<Variant> numbers{Variant(int32_t{7}), Variant(int16_t{5}), Variant(1.5)};
  EXPECT_EQ(call("QX_ADO_WriteItemInConnectionString", numbers), Variant(true));
  EXPECT_EQ(numbers[2], Variant("1.5;7=5"));
  std::vector<Variant> encode{Variant("O'Brien")};
  EXPECT_EQ(call("QX_ADO_EncodeSQLValue", encode), Variant("O''Brien"));
}

TEST_F(AdoLateBound, DetailsFillTheOutputs) {
  std::vector<Variant> args{Variant("User ID=u;Password=p;Initial Catalog=e;Data Source=s"),
                            Variant(),
                            Variant(),
                            Variant(),
                            Variant(),
                            Variant()};
  EXPECT_TRUE(call("QX_ADO_ReadDetailsFromConnectString", args).isEmpty());
  EXPECT_EQ(args[1], Variant("s"));
  EXPECT_EQ(args[2], Variant("u"));
  EXPECT_EQ(args[3], Variant("p"));
  EXPECT_EQ(args[4], Variant("e"));
  EXPECT_EQ(args[5], Variant(int32_t{QXST_SEC_USR}));

  std::vector<Variant> trusted{Variant("Trusted_Connection=yes")};
  EXPECT_EQ(call("QX_ADO_IsConnectStringUsingIntegratedSecurity", trusted), Variant(true));
  std::vector<Variant> tooFew{Variant("x")};
  EXPECT_EQ(errorOf("QX_ADO_ReadDetailsFromConnectString", tooFew), vberr::ArgumentNotOptional);
}

TEST_F(AdoLateBound, ConstructionMembersWithDefaults) {
  std::vector<Variant> integrated{Variant("SQLOLEDB.1"), Variant("srv"), Variant("Repo"),
                                  Variant(true)};
  EXPECT_EQ(call("QX_ADO_ConstructConnectionString", integrated),
            Variant("Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Repo;"
                    "Data Source=srv;Use Encryption for Data=False;"));
  // Without integrated security the default user id "" makes it incomplete.
  std::vector<Variant> noUser{Variant("P"), Variant("S"), Variant("D"), Variant(false)};
  EXPECT_EQ(call("QX_ADO_ConstructConnectionString", noUser), Variant(""));
  std::vector<Variant> user{Variant("P"), Variant("S"), Variant("D"), Variant(int32_t{0}),
                            Variant("U")};
  EXPECT_EQ(call("QX_ADO_ConstructConnectionString", user),
            Variant("Provider=P;User ID=U;Initial Catalog=D;Data Source=S;"
                    "Use Encryption for Data=False;"));

  EXPECT_EQ(call("QX_ADO_GetConnectionStringODBCDriverName"), Variant(""));
  EXPECT_EQ(call("QX_ADO_GetConnectionStringUsingODBC"), Variant(false));
  EXPECT_EQ(call("QX_ADO_GetConnectionStringSQLProvider"), Variant(""));
  EXPECT_EQ(call("QX_ADO_GetConnectionStringDataTypeCompatibility"), Variant(""));
  EXPECT_EQ(call("QX_ADO_GetConnectionStringUseEncryption"), Variant(false));
  std::vector<Variant> server{Variant("srv")};
  EXPECT_EQ(call("QX_ADO_GetConnectionStringUseEncryption2", server), Variant(false));
  EXPECT_EQ(server[0], Variant("srv"));
  EXPECT_EQ(call("QX_ADO_GetConnectionStringProviderTagValueForSQL"), Variant("SQLOLEDB.1"));
  std::vector<Variant> provider{Variant("SQLOLEDB.1")};
  EXPECT_EQ(call("QX_ADO_GetConnectionStringProviderIsSQL", provider), Variant(true));
  std::vector<Variant> oracle{Variant("OraOLEDB.Oracle.1")};
  EXPECT_EQ(call("QX_ADO_GetConnectionStringIntegratedSecurityComplete", oracle),
            Variant("OSAuthent=1;"));
  EXPECT_EQ(call("QX_ADO_GetConnectionStringEncryptionComplete"),
            Variant("Use Encryption for Data=False;"));
  EXPECT_EQ(call("QX_ADO_GetConnectionStringEncryptionComplete2", server),
            Variant("Use Encryption for Data=False;"));
  EXPECT_EQ(call("QX_ADO_GetConnectionStringDataTypeCompatibilityComplete"), Variant(""));
}

TEST_F(AdoLateBound, UdlMembersWriteAndReadBack) {
  const std::string file = (test::freshFolder("udl-late") / "repo.udl").string();
  std::vector<Variant> create{Variant(file), Variant("Provider=P;Data Source=s")};
  EXPECT_TRUE(call("QX_ADO_CreateUDLFile", create).isEmpty());
  std::vector<Variant> read{Variant(file), Variant("stale")};
  EXPECT_EQ(call("QX_ADO_ReadConnectionString", read), Variant(true));
  EXPECT_EQ(read[0], Variant(file));
  EXPECT_EQ(read[1], Variant("Provider=P;Data Source=s"));
  std::vector<Variant> missing{Variant(file + ".none"), Variant("stale")};
  EXPECT_EQ(call("QX_ADO_ReadConnectionString", missing), Variant(false));
  EXPECT_EQ(missing[1], Variant(""));

  std::vector<Variant> badFolder{Variant(file + "/sub.udl"), Variant("Provider=P")};
  EXPECT_EQ(errorOf("QX_ADO_CreateUDLFile", badFolder), vberr::PathNotFound);
}

TEST_F(AdoLateBound, OracleSchemaOfSomethingThatIsNotAConnection) {
  std::vector<Variant> nothing{Variant(Object())};
  EXPECT_EQ(call("QX_ADO_GetOracleConnectionStringWithSchema", nothing), Variant(""));
  std::vector<Variant> notAnObject{Variant("text")};
  EXPECT_THROW(call("QX_ADO_GetOracleConnectionStringWithSchema", notAnObject), AutomationError);
}

}  // namespace
}  // namespace qxvb
