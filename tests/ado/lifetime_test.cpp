// Objects handed out by a recordset keep what they read from alive, as
// automation callers expect when they drop the objects they came from.
#include <gtest/gtest.h>

#include <memory>

#include "ado/connection.h"
#include "ado/field.h"
#include "ado/recordset.h"
#include "frame/vb_conversions.h"
#include "support/sandbox.h"

namespace qxvb::ado {
namespace {

std::shared_ptr<Connection> openTable() {
  const std::string file = (test::freshFolder("ado-lifetime") / "rows.db").string();
  auto connection = std::make_shared<Connection>();
  connection->Open("Provider=QXVB.SQLite;Data Source=" + file + ";Create=True");
  connection->Execute("CREATE TABLE T (Name TEXT, N INTEGER)", nullptr, -1);
  connection->Execute("INSERT INTO T VALUES ('first', 1), ('second', 2)", nullptr, -1);
  return connection;
}

TEST(AdoLifetime, FieldsOutliveTheirRecordsetAndConnection) {
  std::shared_ptr<Fields> fields;
  std::shared_ptr<Field> number;
  std::weak_ptr<Connection> weakConnection;
  {
    auto connection = openTable();
    weakConnection = connection;
    auto rows = connection->Execute("SELECT Name, N FROM T ORDER BY N", nullptr, -1);
    fields = rows->FieldsObject();
    number = fields->Item(Variant("N"));
  }
  EXPECT_FALSE(weakConnection.expired());
  ASSERT_EQ(fields->Count(), 2);
  EXPECT_EQ(CStr(fields->Item(Variant("Name"))->Value()), "first");
  EXPECT_EQ(CLng(number->Value()), 1);
  fields.reset();
  EXPECT_EQ(CLng(number->Value()), 1);
  number.reset();
  // With the last object reading the rows gone, the connection goes too.
  EXPECT_TRUE(weakConnection.expired());
}

TEST(AdoLifetime, ClosingTheConnectionStillClosesItsRows) {
  auto connection = openTable();
  auto rows = connection->Execute("SELECT Name FROM T", nullptr, -1);
  auto fields = rows->FieldsObject();
  connection->Close();
  EXPECT_EQ(fields->Count(), 0);
  EXPECT_EQ(rows->State(), 0);
}

}  // namespace
}  // namespace qxvb::ado
