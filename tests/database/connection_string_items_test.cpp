// The item grammar of connection strings, through the members of
// QX_ADO_Utilities: unanchored case-insensitive keys, quoted values,
// removal, in-place writes, extended items and SQL escaping.
#include <gtest/gtest.h>

#include <string>

#include "database/connection_string_items.h"
#include "database/qx_ado_utilities.h"

namespace qxvb {
namespace {

class ConnectionStringItems : public ::testing::Test {
 protected:
  std::string read(const std::string& item, const std::string& s) {
    return ado_.QX_ADO_ReadItemFromConnectionString(item, s);
  }
  std::string written(std::string s, const std::string& item, const std::string& value) {
    EXPECT_TRUE(ado_.QX_ADO_WriteItemInConnectionString(item, value, s));
    return s;
  }
  std::string removed(std::string s, const std::string& item, bool expectFound = true) {
    EXPECT_EQ(ado_.QX_ADO_RemoveItemFromConnectionString(item, s), expectFound);
    return s;
  }
  QX_ADO_Utilities ado_;
};

TEST_F(ConnectionStringItems, KeysAreFoundAnywhereWithoutRegardToCase) {
  const std::string s = "Provider=P;Data Source=srv;User ID=u";
  EXPECT_EQ(read("data source", s), "srv");
  EXPECT_EQ(read("DATA SOURCE=", s), "srv");
  // The search is not anchored at an item: Source is the tail of Data Source.
  EXPECT_EQ(read("Source", s), "srv");
  // A key text inside an earlier value is found there first.
  EXPECT_EQ(read("B", "A=xB=1;B=2"), "1");
  EXPECT_EQ(read("Missing", s), "");
  // Blanks are part of keys and values.
  EXPECT_EQ(read("Data Source", "Data Source = srv ;X=1"), "");
  EXPECT_EQ(read("Data Source ", "Data Source = srv ;X=1"), " srv ");
}

TEST_F(ConnectionStringItems, CaseIsFoldedBeyondAscii) {
  EXPECT_EQ(read("ÜBER", "x=1;über=2"), "2");
  EXPECT_EQ(read("σ", "Σ=sigma"), "sigma");
  // The value keeps its own case.
  EXPECT_EQ(read("A", "a=MiXeD"), "MiXeD");
}

TEST_F(ConnectionStringItems, ValuesEndAtTheSeparatorOrTheEnd) {
  EXPECT_EQ(read("C", "A=1;B=2;C=rest of it"), "rest of it");
  EXPECT_EQ(read("X", "X=;Y=1"), "");
  EXPECT_EQ(read("Y", "X=;Y="), "");
  EXPECT_EQ(read("", "First=1;Second=2"), "1");
  // Single quotes and braces mean nothing to the grammar.
  EXPECT_EQ(read("A", "A='p;q';B=1"), "'p");
  EXPECT_EQ(read("Driver", "Driver={x;y};B=1"), "{x");
}

TEST_F(ConnectionStringItems, QuotedValuesRunToQuoteSeparator) {
  EXPECT_EQ(read("A", "A=\"p;q\";B=1"), "p;q");
  EXPECT_EQ(read("A", "A=\"p\"q\";B=1"), "p\"q");
  // Without a following `";` the value ends at the next quote.
  EXPECT_EQ(read("A", "A=\"p;q\""), "p;q");
  EXPECT_EQ(read("A", "A=\"p\"x"), "p");
  EXPECT_EQ(read("A", "A=\"\";B=1"), "");
  // No closing quote: no value at all.
  EXPECT_EQ(read("A", "A=\"p;q;B=1"), "");
  EXPECT_EQ(read("A", "A=\""), "");
}

TEST_F(ConnectionStringItems, OnlyTheFirstOfRepeatedItemsCounts) {
  EXPECT_EQ(read("A", "A=1;A=2"), "1");
  EXPECT_EQ(written("A=1;A=2", "A", "9"), "A=9;A=2");
  EXPECT_EQ(removed("A=1;A=2", "A"), "A=2");
  EXPECT_EQ(read("B", ";;B=1;;"), "1");
}

TEST_F(ConnectionStringItems, WritingReplacesInPlaceOrAppends) {
  EXPECT_EQ(written("A=1;B=2;C=3", "B", "9"), "A=1;B=9;C=3");
  EXPECT_EQ(written("A=1;B=\"2\";C=3", "B", "9"), "A=1;B=\"9\";C=3");
  EXPECT_EQ(written("A=1;B=;C=3", "B", "9"), "A=1;B=9;C=3");
  EXPECT_EQ(written("A=1;B=\"\";C=3", "B", "9"), "A=1;B=\"9\";C=3");
  EXPECT_EQ(written("A=1", "B", "9"), "A=1;B=9");
  EXPECT_EQ(written("", "B", "9"), "B=9");
  EXPECT_EQ(written("A=1;", "B", "9"), "A=1;;B=9");
  EXPECT_EQ(written("A=1", "B=", "9"), "A=1;B=9");
  // The new text is never quoted or escaped.
  EXPECT_EQ(written("A=1", "B", "x;y"), "A=1;B=x;y");
  EXPECT_EQ(written("A=1;B=2", "b", ""), "A=1;B=");
}

TEST_F(ConnectionStringItems, UnclosedQuotedValueIsNeitherReplacedNorRemoved) {
  EXPECT_EQ(written("A=\"open;B=2", "A", "9"), "A=\"open;B=2");
  EXPECT_EQ(removed("A=\"open;B=2", "A", true), "A=\"open;B=2");
}

TEST_F(ConnectionStringItems, RemovalKeepsTheSeparatorAfterAQuotedValue) {
  EXPECT_EQ(removed("A=1;B=2;C=3", "B"), "A=1;C=3");
  EXPECT_EQ(removed("A=1;B=\"2\";C=3", "B"), "A=1;;C=3");
  EXPECT_EQ(removed("A=1;B=2", "B"), "A=1;");
  EXPECT_EQ(removed("A=1;B=", "B"), "A=1;");
  EXPECT_EQ(removed("A=1", "A"), "");
  EXPECT_EQ(removed("A=1;B=2", "Z", false), "A=1;B=2");
  // From the start of the matched text, even inside a longer key.
  EXPECT_EQ(removed("Data Source=s;X=1", "Source"), "Data X=1");
}

TEST_F(ConnectionStringItems, ExtendedItemsLiveInsideTheExtendedProperties) {
  std::string s = "Provider=P";
  ASSERT_TRUE(ado_.QX_ADO_WriteExtendedItemInConnectionString("Mode", "Read", s));
  EXPECT_EQ(s, "Provider=P;Extended Properties=\"Mode=Read\"");
  ASSERT_TRUE(ado_.QX_ADO_WriteExtendedItemInConnectionString("Locale=", "1033", s));
  EXPECT_EQ(s, "Provider=P;Extended Properties=\"Mode=Read;Locale=1033\"");
  ASSERT_TRUE(ado_.QX_ADO_WriteExtendedItemInConnectionString("mode", "Write", s));
  EXPECT_EQ(s, "Provider=P;Extended Properties=\"Mode=Write;Locale=1033\"");
  EXPECT_EQ(ado_.QX_ADO_ReadExtendedItemInConnectionString("Locale", Variant(s)), "1033");
  EXPECT_EQ(ado_.QX_ADO_ReadExtendedItemInConnectionString("Missing", Variant(s)), "");
  EXPECT_EQ(ado_.QX_ADO_ReadExtendedItemInConnectionString("Mode", Variant("Mode=1")), "");
  // An unquoted value is taken as it stands.
  std::string plain = "extended properties=A=1;B=2";
  ASSERT_TRUE(ado_.QX_ADO_WriteExtendedItemInConnectionString("A", "5", plain));
  EXPECT_EQ(plain, "extended properties=A=5;B=2");
}

TEST_F(ConnectionStringItems, ExtendedItemsOfBadInput) {
  // An unclosed quoted extended value fails and leaves the string alone.
  std::string s = "Extended Properties=\"Mode=Read;X=1";
  EXPECT_FALSE(ado_.QX_ADO_WriteExtendedItemInConnectionString("Mode", "W", s));
  EXPECT_EQ(s, "Extended Properties=\"Mode=Read;X=1");
  // A value that cannot become a string reads as "".
  EXPECT_EQ(ado_.QX_ADO_ReadExtendedItemInConnectionString("A", Variant::null()), "");
  std::string empty;
  EXPECT_TRUE(ado_.QX_ADO_WriteExtendedItemInConnectionString("", "v", empty));
  EXPECT_EQ(empty, "Extended Properties=\"=v\"");
}

TEST_F(ConnectionStringItems, NulCharactersAndHugeStringsAreOrdinaryText) {
  const std::string withNul = std::string("A=x\0y;B=2", 9);
  EXPECT_EQ(read("A", withNul), std::string("x\0y", 3));
  EXPECT_EQ(read(std::string("\0", 1), std::string("Q=1;\0=z", 7)), "z");
  std::string huge(1'000'000, 'a');
  huge += ";Key=v";
  EXPECT_EQ(read("key", huge), "v");
  // A long key that almost matches everywhere still ends in time.
  const std::string longKey = std::string(100'000, 'a') + "b";
  EXPECT_EQ(read(longKey, huge), "");
  std::string target = huge;
  EXPECT_TRUE(ado_.QX_ADO_RemoveItemFromConnectionString("KEY", target));
  EXPECT_EQ(target.size(), 1'000'001u);
}

TEST_F(ConnectionStringItems, InvalidUtf8BytesMatchOnlyThemselves) {
  EXPECT_EQ(read("\xFF", "\xFE=1;\xFF=2"), "2");
  EXPECT_EQ(read("\xC3", "\xC3\xA9=1;\xC3=2"), "2");
}

TEST_F(ConnectionStringItems, ValueStartsAfterTheKeyAsFoundWhateverItsLength) {
  // Case folding maps the Kelvin sign (three bytes) and k (one) together.
  EXPECT_EQ(read("k", "\u212A=kelvin;B=1"), "kelvin");
  EXPECT_EQ(read("\u212A", "k=1;B=2"), "1");
  EXPECT_EQ(written("\u212A=1;B=2", "k", "9"), "\u212A=9;B=2");
  EXPECT_EQ(removed("A=0;\u212A=1;B=2", "k"), "A=0;B=2");
  // The long s (two bytes) folds to s (one).
  std::string s = "A=1;Extended Propertie\u017F=\"X=1\"";
  EXPECT_TRUE(ado_.QX_ADO_WriteExtendedItemInConnectionString("B", "2", s));
  EXPECT_EQ(s, "A=1;Extended Propertie\u017F=\"X=1;B=2\"");
  // A broken sequence is one character per byte: it never covers the byte
  // after its first.
  EXPECT_EQ(read("\xE2", "\xE2\x82=1;\xE2=2"), "2");
}

TEST_F(ConnectionStringItems, EncodeSqlValueDoublesSingleQuotes) {
  EXPECT_EQ(ado_.QX_ADO_EncodeSQLValue("O'Brien"), "O''Brien");
  EXPECT_EQ(ado_.QX_ADO_EncodeSQLValue("''"), "''''");
  EXPECT_EQ(ado_.QX_ADO_EncodeSQLValue("plain \"text\""), "plain \"text\"");
  EXPECT_EQ(ado_.QX_ADO_EncodeSQLValue(""), "");
}

TEST_F(ConnectionStringItems, DetailsSplitServerUserPasswordAndEncyclopedia) {
  std::string server, user, password, ency;
  int32_t security = -7;
  const Variant result = ado_.QX_ADO_ReadDetailsFromConnectString(
      "Provider=SQLOLEDB.1;User ID=sa;Password=pw;Initial Catalog=Repo;Data Source=srv", server,
      user, password, ency, security);
  EXPECT_TRUE(result.isEmpty());
  EXPECT_EQ(server, "srv");
  EXPECT_EQ(user, "sa");
  EXPECT_EQ(password, "pw");
  EXPECT_EQ(ency, "Repo");
  EXPECT_EQ(security, QXST_SEC_USR);
}

TEST_F(ConnectionStringItems, SecurityModeOfTheString) {
  EXPECT_TRUE(ado_.QX_ADO_IsConnectStringUsingIntegratedSecurity(
      "User ID=sa;Trusted_Connection=yes;Data Source=s"));
  EXPECT_FALSE(ado_.QX_ADO_IsConnectStringUsingIntegratedSecurity(
      "User ID=sa;Trusted_Connection=YES;Data Source=s"));
  EXPECT_TRUE(ado_.QX_ADO_IsConnectStringUsingIntegratedSecurity(
      "Trusted_Connection=YES;integrated security=sspi"));
  EXPECT_TRUE(ado_.QX_ADO_IsConnectStringUsingIntegratedSecurity("Provider=X;OSAUTHENT=1"));
  EXPECT_FALSE(ado_.QX_ADO_IsConnectStringUsingIntegratedSecurity("Integrated Security=True"));
  EXPECT_FALSE(ado_.QX_ADO_IsConnectStringUsingIntegratedSecurity(""));
}

TEST(ConnectionStringGrammar, FindIgnoreCaseGivesByteOffsets) {
  EXPECT_EQ(connstr::findIgnoreCase("ééKEY=", "key="), 4u);
  EXPECT_EQ(connstr::findIgnoreCase("abc", ""), std::string::npos);
  EXPECT_EQ(connstr::findIgnoreCase("", "a"), std::string::npos);
  EXPECT_EQ(connstr::firstChars("Prövider=x", 8), "Prövider");
  EXPECT_EQ(connstr::firstChars("ab", 8), "ab");
}

}  // namespace
}  // namespace qxvb
