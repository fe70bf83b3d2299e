// The file manager window on a repository with workspaces (PostgreSQL with
// the workspace functions and views): the caption names the workspace, the
// workspace picker switches the list, and a tree it cannot read is reported.
#include <QDialog>
#include <QMessageBox>
#include <QTreeWidget>

#include "ado/ado_constants.h"
#include "ado/connection.h"
#include "database/repository/files_table.h"
#include "filemanager/file_manager.h"
#include "filemanager/gui/file_manager_form.h"
#include "frame/module_state.h"
#include "frame/string_table.h"
#include "support/modal_driver.h"
#include "support/postgres_test.h"
#include "support/x_server.h"
#include "ui/app/gui_thread.h"

namespace qxvb::test {
namespace {

using namespace qxvb::filestore;

constexpr const char* kWorkspaces[] = {
    "DROP SCHEMA IF EXISTS dbo CASCADE",
    "DROP TABLE IF EXISTS Files",
    "CREATE SCHEMA dbo",
    "CREATE TABLE dbo.tree (xml text)",
    "INSERT INTO dbo.tree VALUES ('<Tree><Workspace ID=''1'' Name=''Main'' Baseline=''0''>"
    "<Workspace ID=''2'' Name=''Release 1'' Baseline=''1''/></Workspace></Tree>')",
    "CREATE FUNCTION dbo.QXSF_WorkspacesRetrieveTree(root integer) RETURNS text AS $$ "
    "SELECT xml FROM dbo.tree $$ LANGUAGE sql",
    "CREATE FUNCTION dbo.QXSF_WorkspacesRetrieveViewNames(w integer) "
    "RETURNS TABLE(ViewName text, TableName text) AS $$ BEGIN "
    "RETURN QUERY SELECT 'dbo.files_ws' || w, 'Files'::text; END $$ LANGUAGE plpgsql",
};

class WorkspaceWindowTest : public PostgresTest {
 protected:
  static void SetUpTestSuite() {
    PostgresTest::SetUpTestSuite();
    sharedXServer();
  }
  void SetUp() override {
    PostgresTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    unloadThread();
    ASSERT_TRUE(gui::onWindowThread());
    registerFileManagerWindow();
    connection_ = std::make_shared<ado::Connection>();
    connection_->Open(server().adoConnectionString() + ";LowerCaseIdentifier=1");
    for (const char* sql : kWorkspaces) connection_->Execute(sql, nullptr, ado::adExecuteNoRecords);
    createFilesTable(connection_);
    for (const char* sql :
         {"CREATE VIEW dbo.files_ws1 AS SELECT * FROM Files WHERE WID = 1",
          "CREATE VIEW dbo.files_ws2 AS SELECT * FROM Files WHERE WID = 2",
          "INSERT INTO Files (Name, WID) VALUES ('main.cfg', 1), ('shared.txt', 1), "
          "('release.cfg', 2)"}) {
      connection_->Execute(sql, nullptr, ado::adExecuteNoRecords);
    }
  }
  void TearDown() override {
    manager_.reset();
    unloadThread();
  }

  std::shared_ptr<ado::Connection> connection_;
  std::shared_ptr<QXFileManager> manager_;
};

std::vector<std::string> shown(FileManagerForm& form) {
  std::vector<std::string> names;
  for (int r = 0; r < form.model().rowCount(); ++r) names.push_back(form.model().fileAt(r).name);
  return names;
}

TEST_F(WorkspaceWindowTest, ThePickerSwitchesTheListedWorkspace) {
  manager_ = std::make_shared<QXFileManager>();
  Object connection = connection_;
  manager_->Init("Quillane", connection, "", 0);
  ASSERT_TRUE(manager_->binding().setup.workspaces);
  manager_->Show(false);
  FileManagerForm* form = formOf(*manager_);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->windowTitle().toStdString(), localString(34968) + " - Main");
  EXPECT_EQ(shown(*form), (std::vector<std::string>{"main.cfg", "shared.txt"}));
  EXPECT_TRUE(form->command(cmd::Workspace)->isVisible());

  whenModalShown<QDialog>([](QDialog* d) {
    auto* tree = d->findChild<QTreeWidget*>();
    ASSERT_NE(tree, nullptr);
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    d->accept();
  });
  form->runCommand(cmd::Workspace);
  EXPECT_EQ(manager_->binding().setup.wid, 2);
  EXPECT_EQ(manager_->binding().setup.filesView, "dbo.files_ws2");
  EXPECT_TRUE(manager_->binding().workspace.baseline);
  EXPECT_EQ(form->windowTitle().toStdString(), localString(34968) + " - Release 1");
  EXPECT_EQ(shown(*form), std::vector<std::string>{"release.cfg"});

  // Cancelled: nothing changes. A tree the picker cannot read: the message.
  whenModalShown<QDialog>([](QDialog* d) { d->reject(); });
  form->runCommand(cmd::Workspace);
  EXPECT_EQ(manager_->binding().setup.wid, 2);
  connection_->Execute("UPDATE dbo.tree SET xml = 'not a tree'", nullptr, ado::adExecuteNoRecords);
  std::string message;
  whenModalShown<QMessageBox>([&](QMessageBox* box) {
    message = box->text().toStdString();
    box->accept();
  });
  form->runCommand(cmd::Workspace);
  EXPECT_EQ(message, formatLocalString(localString(35107), Variant(localString(55025))));
  EXPECT_EQ(shown(*form), std::vector<std::string>{"release.cfg"});
  form->close();
}

}  // namespace
}  // namespace qxvb::test
