// Building connection strings from the "ADO" settings: the order of the
// items, integrated security, encryption per server, the ODBC driver and
// data-type compatibility, and the cache's re-read rules.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "components/qxdutils/qxdutils_component.h"
#include "database/qx_ado_utilities.h"
#include "frame/module_state.h"
#include "text/qxutilities.h"

namespace qxvb {
namespace {

// Settings of section "ADO" held in memory, counting how often each key is
// read.
struct FakeSettings {
  std::map<std::string, std::string> values;
  std::map<std::string, int> reads;

  AdoSettingsCache::Reader reader() {
    return [this](const std::string& key) {
      ++reads[key];
      const auto it = values.find(key);
      return it == values.end() ? std::string() : it->second;
    };
  }
};

class ConstructConnectionString : public ::testing::Test {
 protected:
  QX_ADO_Utilities& ado() {
    if (!ado_) ado_ = std::make_unique<QX_ADO_Utilities>(settings_.reader());
    return *ado_;
  }
  std::string construct(const std::string& provider, const std::string& server,
                        const std::string& database, bool integrated, const std::string& user = "",
                        const std::string& password = "") {
    return ado().QX_ADO_ConstructConnectionString(provider, server, database, integrated, user,
                                                  password);
  }
  FakeSettings settings_;
  std::unique_ptr<QX_ADO_Utilities> ado_;
};

TEST_F(ConstructConnectionString, WithoutSettingsItemsComeInTheFixedOrder) {
  EXPECT_EQ(construct("P", "S", "D", false, "U"),
            "Provider=P;User ID=U;Initial Catalog=D;Data Source=S;"
            "Use Encryption for Data=False;");
  EXPECT_EQ(construct("P", "S", "D", false, "U", "pw"),
            "Provider=P;User ID=U;Password=pw;Initial Catalog=D;Data Source=S;"
            "Use Encryption for Data=False;");
}

TEST_F(ConstructConnectionString, IntegratedSecurityDependsOnTheProvider) {
  EXPECT_EQ(construct("SQLOLEDB.1", "S", "D", true),
            "Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=D;Data Source=S;"
            "Use Encryption for Data=False;");
  // The user id is ignored under integrated security.
  EXPECT_EQ(construct("OraOLEDB.Oracle.1", "orcl", "", true, "ignored", "pw"),
            "Provider=OraOLEDB.Oracle.1;OSAuthent=1;Data Source=orcl;"
            "Use Encryption for Data=False;");
}

TEST_F(ConstructConnectionString, IncompleteArgumentsGiveNothing) {
  EXPECT_EQ(construct("", "S", "D", true), "");
  EXPECT_EQ(construct("P", "", "D", true), "");
  EXPECT_EQ(construct("P", "S", "", true), "");
  EXPECT_EQ(construct("P", "S", "D", false, ""), "");
  // Only the Oracle provider, spelt exactly, may leave out the catalog.
  EXPECT_EQ(construct("oraoledb.oracle.1", "S", "", true), "");
  EXPECT_NE(construct("OraOLEDB.Oracle.1", "S", "", false, "scott"), "");
}

TEST_F(ConstructConnectionString, ValuesGoInVerbatim) {
  EXPECT_EQ(construct("P", "a;b", "\"D\"", false, "O'Brien", "p=w"),
            "Provider=P;User ID=O'Brien;Password=p=w;Initial Catalog=\"D\";Data Source=a;b;"
            "Use Encryption for Data=False;");
}

TEST_F(ConstructConnectionString, OdbcDriverAddsItsItemAndTrustedConnection) {
  settings_.values["Connections_ODBCDriverName"] = "ODBC Driver 18 for SQL Server";
  EXPECT_EQ(construct("MSDASQL.1", "S", "D", true),
            "Provider=MSDASQL.1;Trusted_Connection=yes;Initial Catalog=D;Data Source=S;"
            "Driver={ODBC Driver 18 for SQL Server};");
  EXPECT_TRUE(ado().QX_ADO_GetConnectionStringUsingODBC());
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringProviderTagValueForSQL(), "MSDASQL.1");
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringEncryptionComplete(), "");
}

TEST_F(ConstructConnectionString, DriverNameNInAnyCaseMeansNoOdbc) {
  settings_.values["Connections_ODBCDriverName"] = "N";
  EXPECT_FALSE(ado().QX_ADO_GetConnectionStringUsingODBC());
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringODBCDriverName(), "N");
  EXPECT_EQ(construct("P", "S", "D", false, "U"),
            "Provider=P;User ID=U;Initial Catalog=D;Data Source=S;"
            "Use Encryption for Data=False;");
}

TEST_F(ConstructConnectionString, NativeClientProviderTakesTrustedConnection) {
  settings_.values["Connections_SQLProvider"] = "sqlncli11";
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringIntegratedSecurityComplete("anything"),
            "Trusted_Connection=yes;");
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringProviderTagValueForSQL(), "sqlncli11");
}

TEST_F(ConstructConnectionString, GlobalEncryptionSwitch) {
  settings_.values["Connections_UseEncryption"] = "yes";
  EXPECT_TRUE(ado().QX_ADO_GetConnectionStringUseEncryption());
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringEncryptionComplete(), "Use Encryption for Data=True;");
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringEncryptionComplete2("any"),
            "Use Encryption for Data=True;");
}

TEST_F(ConstructConnectionString, EncryptionSwitchIsCaseSensitive) {
  settings_.values["Connections_UseEncryption"] = "Yes";
  EXPECT_FALSE(ado().QX_ADO_GetConnectionStringUseEncryption());
}

TEST_F(ConstructConnectionString, EncryptionUnderOdbc) {
  settings_.values["Connections_UseEncryption"] = "yes";
  settings_.values["Connections_ODBCDriverName"] = "FreeTDS";
  EXPECT_EQ(construct("MSDASQL.1", "S", "D", false, "U"),
            "Provider=MSDASQL.1;User ID=U;Initial Catalog=D;Data Source=S;Driver={FreeTDS};"
            "Encrypt=yes;");
}

TEST_F(ConstructConnectionString, PerServerListOverridesTheGlobalSwitch) {
  settings_.values["Connections_UseEncryption"] = "yes";
  settings_.values["Connections_UseEncryption_Server1"] = "Alpha";
  settings_.values["Connections_UseEncryption_Server2"] = "beta.example.com";
  settings_.values["Connections_UseEncryption_Server4"] = "Delta";
  EXPECT_FALSE(ado().QX_ADO_GetConnectionStringUseEncryption());
  EXPECT_TRUE(ado().QX_ADO_GetConnectionStringUseEncryption2("ALPHA"));
  EXPECT_TRUE(ado().QX_ADO_GetConnectionStringUseEncryption2("Beta.Example.Com"));
  // The list ends at the first missing number.
  EXPECT_FALSE(ado().QX_ADO_GetConnectionStringUseEncryption2("Delta"));
  EXPECT_EQ(construct("P", "alpha", "D", false, "U"),
            "Provider=P;User ID=U;Initial Catalog=D;Data Source=alpha;"
            "Use Encryption for Data=True;");
  EXPECT_EQ(construct("P", "gamma", "D", false, "U"),
            "Provider=P;User ID=U;Initial Catalog=D;Data Source=gamma;"
            "Use Encryption for Data=False;");
  EXPECT_EQ(settings_.reads["Connections_UseEncryption"], 0);
}

TEST_F(ConstructConnectionString, DataTypeCompatibilityUpToItsSeparator) {
  settings_.values["Connections_DataTypeCompatibility"] = "80;x";
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringDataTypeCompatibility(), "80");
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringDataTypeCompatibilityComplete(),
            "DataTypeCompatibility=80;");
  EXPECT_EQ(construct("P", "S", "D", false, "U"),
            "Provider=P;User ID=U;Initial Catalog=D;Data Source=S;"
            "Use Encryption for Data=False;DataTypeCompatibility=80;");
}

TEST_F(ConstructConnectionString, ProviderIsSqlComparesExactly) {
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringProviderTagValueForSQL(), "SQLOLEDB.1");
  EXPECT_TRUE(ado().QX_ADO_GetConnectionStringProviderIsSQL("SQLOLEDB.1"));
  EXPECT_TRUE(ado().QX_ADO_GetConnectionStringProviderIsSQL("x SQLOLEDB.1.2"));
  EXPECT_FALSE(ado().QX_ADO_GetConnectionStringProviderIsSQL("sqloledb.1"));
  EXPECT_FALSE(ado().QX_ADO_GetConnectionStringProviderIsSQL("SQLOLEDB"));
  EXPECT_FALSE(ado().QX_ADO_GetConnectionStringProviderIsSQL(""));
}

TEST_F(ConstructConnectionString, ProviderTagFollowsTheSetting) {
  settings_.values["Connections_SQLProvider"] = "MSOLEDBSQL";
  EXPECT_TRUE(ado().QX_ADO_GetConnectionStringProviderIsSQL("MSOLEDBSQL.19"));
  EXPECT_TRUE(ado().QX_ADO_GetConnectionStringProviderIsSQL("MSOLEDBSQL"));
  // The default SQL Server provider always counts.
  EXPECT_TRUE(ado().QX_ADO_GetConnectionStringProviderIsSQL("SQLOLEDB.1"));
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringIntegratedSecurityComplete("MSOLEDBSQL"),
            "Integrated Security=SSPI;");
}

TEST_F(ConstructConnectionString, ProviderSettingNOnlyInLowerCaseMeansTheDefault) {
  settings_.values["Connections_SQLProvider"] = "N";
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringProviderTagValueForSQL(), "N");
  settings_.values["Connections_SQLProvider"] = "n";
  QX_ADO_Utilities fresh(settings_.reader());
  EXPECT_EQ(fresh.QX_ADO_GetConnectionStringProviderTagValueForSQL(), "SQLOLEDB.1");
}

TEST_F(ConstructConnectionString, EmptySettingsAreReadAgainSetOnesAreKept) {
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringODBCDriverName(), "");
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringODBCDriverName(), "");
  EXPECT_EQ(settings_.reads["Connections_ODBCDriverName"], 2);

  settings_.values["Connections_SQLProvider"] = "First";
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringSQLProvider(), "First");
  settings_.values["Connections_SQLProvider"] = "Second";
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringSQLProvider(), "First");
  EXPECT_EQ(settings_.reads["Connections_SQLProvider"], 1);

  // A setting that appears later is seen by the same object.
  settings_.values["Connections_DataTypeCompatibility"] = "";
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringDataTypeCompatibility(), "");
  settings_.values["Connections_DataTypeCompatibility"] = "80";
  EXPECT_EQ(ado().QX_ADO_GetConnectionStringDataTypeCompatibility(), "80");
}

TEST_F(ConstructConnectionString, EncryptionSwitchIsReadOnce) {
  EXPECT_FALSE(ado().QX_ADO_GetConnectionStringUseEncryption());
  settings_.values["Connections_UseEncryption"] = "yes";
  EXPECT_FALSE(ado().QX_ADO_GetConnectionStringUseEncryption());
  EXPECT_EQ(settings_.reads["Connections_UseEncryption"], 1);
  // The per-server list is read at every call.
  settings_.values["Connections_UseEncryption_Server1"] = "late";
  EXPECT_TRUE(ado().QX_ADO_GetConnectionStringUseEncryption2("LATE"));
}

// Through the real settings store: section "ADO" of the default profile.
class ConstructFromProfile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove(qxdutils::defaultProfilePath());
    unloadThread();
  }
  void TearDown() override { unloadThread(); }
  void set(std::string key, std::string value) {
    QXUtilities utilities;
    ASSERT_TRUE(utilities.QXSetSetting(key, value, "ADO"));
  }
};

TEST_F(ConstructFromProfile, SettingsComeFromSectionAdo) {
  set("Connections_ODBCDriverName", "FreeTDS");
  set("Connections_UseEncryption_Server1", "srv");
  set("Connections_DataTypeCompatibility", "80");
  QX_ADO_Utilities ado;
  EXPECT_EQ(ado.QX_ADO_ConstructConnectionString("MSDASQL.1", "SRV", "Repo", false, "sa", "pw"),
            "Provider=MSDASQL.1;User ID=sa;Password=pw;Initial Catalog=Repo;Data Source=SRV;"
            "Driver={FreeTDS};Encrypt=yes;DataTypeCompatibility=80;");
  // A value is cut at 255 characters.
  set("Connections_SQLProvider", std::string(300, 'p'));
  QX_ADO_Utilities other;
  EXPECT_EQ(other.QX_ADO_GetConnectionStringSQLProvider(), std::string(255, 'p'));
}

}  // namespace
}  // namespace qxvb
