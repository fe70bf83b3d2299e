// The file store on a PostgreSQL server of the test's own: the file table,
// and workspace functions written in PL/pgSQL that answer as the
// repository's do.
#include <gtest/gtest.h>

#include "ado/ado_constants.h"
#include "filemanager/file_manager.h"
#include "filemanager/stored_names.h"
#include "frame/collection.h"
#include "frame/string_table.h"
#include "repository_fixture.h"
#include "support/errors.h"
#include "support/postgres_test.h"

namespace qxvb::filestore {
namespace {

// Workspace 1 and 2 exist; 2 is a baseline; "reserved.cfg" is reserved.
constexpr const char* kWorkspaceObjects[] = {
    "CREATE SCHEMA dbo",
    "CREATE FUNCTION dbo.QXSF_WorkspacesRetrieveTree(root integer) RETURNS text AS $$ BEGIN "
    "RETURN '<Tree><Workspace ID=''1'' Name=''Main'' Baseline=''0''>"
    "<Workspace ID=''2'' Name=''Frozen'' Baseline=''1''/></Workspace></Tree>'; END $$ "
    "LANGUAGE plpgsql",
    "CREATE FUNCTION dbo.QXSF_WorkspacesRetrieveViewNames(w integer) "
    "RETURNS TABLE(ViewName text, TableName text) AS $$ BEGIN "
    "RETURN QUERY SELECT 'dbo.files_ws' || w, 'Files'::text; END $$ LANGUAGE plpgsql",
    "CREATE VIEW dbo.files_ws1 AS SELECT * FROM Files WHERE WID = 1",
    "CREATE FUNCTION dbo.QXSP_WorkspacesInsertFileInto(list text, w integer, reserved text, "
    "OUT result integer) AS $$ DECLARE n text; BEGIN "
    "IF w NOT IN (1, 2) THEN result := -1; RETURN; END IF; "
    "IF w = 2 THEN result := -2; RETURN; END IF; "
    "FOR n IN SELECT unnest(xpath('//File/@Name', list::xml))::text LOOP "
    "  n := replace(replace(n, '&apos;', ''''), '&amp;', '&'); "
    "  IF n = 'reserved.cfg' THEN result := -3; RETURN; END IF; "
    "  INSERT INTO Files (Name, WID, Version, Activity) VALUES (n, w, 0, 'A') "
    "  ON CONFLICT DO NOTHING; "
    "END LOOP; result := 0; END $$ LANGUAGE plpgsql",
    "CREATE FUNCTION dbo.QXSP_WorkspacesDeleteFile(list text, w integer, reserved text, "
    "OUT result integer) AS $$ BEGIN "
    "IF w NOT IN (1, 2) THEN result := -1; RETURN; END IF; "
    "IF w = 2 THEN result := -2; RETURN; END IF; "
    "DELETE FROM Files WHERE WID = w AND Name IN "
    "(SELECT unnest(xpath('//File/@Name', list::xml))::text); result := 0; END $$ "
    "LANGUAGE plpgsql",
};

class PostgresStore : public test::PostgresTest {
 protected:
  void SetUp() override {
    PostgresTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    folder_ = test::freshFolder("pg");
    connection_ = std::make_shared<ado::Connection>();
    // The driver looks procedures up by the name as written unless told that
    // the server keeps unquoted names in lower case.
    connection_->Open(server().adoConnectionString() + ";LowerCaseIdentifier=1");
    for (const char* sql : {"DROP SCHEMA IF EXISTS dbo CASCADE", "DROP TABLE IF EXISTS Files"}) {
      connection_->Execute(sql, nullptr, ado::adExecuteNoRecords);
    }
    createFilesTable(connection_);
  }
  void addWorkspaces() {
    for (const char* sql : kWorkspaceObjects) {
      connection_->Execute(sql, nullptr, ado::adExecuteNoRecords);
    }
  }
  std::string disk(const std::string& name, const std::string& text) {
    return test::writeDisk(folder_ / "disk" / name, text).string();
  }
  // With workspaces: PostgreSQL reports a function's parameters without a
  // return value, so they are addressed from 0.
  FileStore workspaceStore(int32_t wid) {
    StoreSetup setup;
    setup.connection = connection_;
    setup.workspaces = true;
    setup.wid = wid;
    setup.parameterBase = 0;
    setup.filesView = filesViewName(*connection_, false, wid);
    return FileStore(setup);
  }

  std::filesystem::path folder_;
  std::shared_ptr<ado::Connection> connection_;
};

TEST_F(PostgresStore, ImportListExportAndDeleteWithoutWorkspaces) {
  auto manager = std::make_shared<QXFileManager>();
  Object connection = connection_;
  manager->Init("App", connection, "", 0);
  EXPECT_FALSE(manager->binding().setup.workspaces);
  auto files = std::make_shared<Collection>();
  files->Add(Variant(disk("Images/pic.png", "picture")));
  files->Add(Variant(disk("settings.cfg", "one")));
  manager->ImportFiles(files);
  manager->ImportFiles(files);
  auto& store = manager->store();
  auto rs = store.list();
  ASSERT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(CStr(rs->Collect(Variant("Name"))), "Images\\pic.png");
  EXPECT_EQ(CLng(test::storedValue(*connection_, "settings.cfg", "Version")), 2);
  EXPECT_EQ(CStr(test::storedValue(*connection_, "settings.cfg", "Activity")), "C");

  const auto out = folder_ / "out";
  std::filesystem::create_directories(out);
  store.exportTo("Images\\pic.png", out);
  EXPECT_EQ(test::readFile(out / "Images" / "pic.png"), "picture");
  rs->Find("Name = 'settings.cfg'");
  ASSERT_FALSE(rs->Eof());
  rs->Delete();
  rs->Update();
  rs->Requery();
  EXPECT_EQ(rs->RecordCount(), 1);
}

TEST_F(PostgresStore, HostileNamesAndBinaryContents) {
  auto store = test::plainStore(connection_);
  std::string bytes(70000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
  const std::string hostile = "x'; DROP TABLE Files; --";
  store.importFiles({{disk("a.bin", bytes), hostile}, {disk("b.txt", "b"), "back\\slash's.txt"}});
  EXPECT_TRUE(store.exists(hostile));
  EXPECT_TRUE(store.exists("back\\slash's.txt"));
  const ByteArray back = store.readBytes(hostile);
  EXPECT_EQ(std::string(back.data.begin(), back.data.end()), bytes);
  EXPECT_EQ(test::errorNumber([&] { store.exportTo(hostile, folder_ / "out"); }), 0);
  EXPECT_EQ(test::readFile(folder_ / "out" / hostile), bytes);
}

TEST_F(PostgresStore, FailedImportRollsBack) {
  auto store = test::plainStore(connection_);
  const std::string path = disk("locked.txt", "original");
  store.importFiles({{path, ""}});
  connection_->Execute(
      "CREATE FUNCTION refuse() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION 'locked'; END $$ "
      "LANGUAGE plpgsql",
      nullptr, ado::adExecuteNoRecords);
  connection_->Execute(
      "CREATE TRIGGER refuse BEFORE UPDATE ON Files FOR EACH ROW EXECUTE FUNCTION refuse()",
      nullptr, ado::adExecuteNoRecords);
  test::writeFile(path, "changed");
  EXPECT_NE(test::errorNumber([&] { store.importFiles({{path, ""}}); }), 0);
  connection_->Execute("DROP TRIGGER refuse ON Files", nullptr, ado::adExecuteNoRecords);
  EXPECT_EQ(CLng(test::storedValue(*connection_, "locked.txt", "Version")), 1);
  const ByteArray back = store.readBytes("locked.txt");
  EXPECT_EQ(std::string(back.data.begin(), back.data.end()), "original");
}

TEST_F(PostgresStore, WorkspaceProceduresAndResultCodes) {
  addWorkspaces();
  EXPECT_EQ(filesViewName(*connection_, false, 1), "dbo.files_ws1");
  const WorkspaceInfo tree = readWorkspaceTree(*connection_, false, 2);
  EXPECT_EQ(tree.count, 2);
  EXPECT_EQ(tree.name, "Frozen");
  EXPECT_TRUE(tree.baseline);

  auto store = workspaceStore(1);
  EXPECT_EQ(store.listQuery(), "SELECT Name, Date, Type, WID FROM dbo.files_ws1 ORDER BY Name");
  std::vector<std::string> messages;
  std::vector<std::string> statuses;
  StoreReport report;
  report.message = [&](const std::string& text) { messages.push_back(text); };
  report.status = [&](const std::string& text) { statuses.push_back(text); };
  store.importFiles({{disk("a.txt", "a1"), ""}, {disk("b.txt", "b"), "it's.txt"}}, report);
  store.importFiles({{disk("a.txt", "a2"), ""}}, report);
  EXPECT_EQ(CLng(test::storedValue(*connection_, "a.txt", "Version")), 2);
  EXPECT_EQ(CStr(test::storedValue(*connection_, "a.txt", "Activity")), "C");
  EXPECT_TRUE(test::storedValue(*connection_, "a.txt", "Date").isNull());
  EXPECT_EQ(store.list()->RecordCount(), 2);
  const ByteArray a = store.readBytes("a.txt", 1);
  EXPECT_EQ(std::string(a.data.begin(), a.data.end()), "a2");

  EXPECT_THROW(store.importFiles({{disk("r.cfg", "r"), "reserved.cfg"}}, report), ProcedureRefused);
  EXPECT_THROW(workspaceStore(2).importFiles({{disk("c.txt", "c"), ""}}, report), ProcedureRefused);
  EXPECT_THROW(workspaceStore(9).remove({"a.txt"}, report), ProcedureRefused);
  EXPECT_EQ(messages,
            (std::vector<std::string>{localString(35117), localString(35116), localString(35108)}));
  EXPECT_EQ(test::rowCount(*connection_), 2);

  messages.clear();
  store.remove({"it's.txt"}, report);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(statuses, std::vector<std::string>{localString(34944)});
  EXPECT_EQ(test::rowCount(*connection_), 1);
}

}  // namespace
}  // namespace qxvb::filestore
