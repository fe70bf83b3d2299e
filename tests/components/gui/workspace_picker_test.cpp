// The workspace picker: the tree of workspaces, the current one selected,
// the choice and the flags (0 chosen, 1 cancelled, 2 error).
#include <gtest/gtest.h>

#include <QDialog>
#include <QTreeWidget>

#include "components/workspace_picker/gui/workspace_picker.h"
#include "frame/catalogue.h"
#include "frame/vb_conversions.h"
#include "support/modal_driver.h"
#include "support/x_server.h"
#include "ui/app/gui_thread.h"

namespace qxvb::test {
namespace {

using namespace qxvb::workspace_picker;

constexpr const char* kTree =
    "<Workspaces><Workspace ID='1' Name='Main' Baseline='0'>"
    "<Workspace ID='2' Name='Release 1' Baseline='1'/>"
    "<Workspace ID='3' Name='Ideas &amp; drafts' Baseline='0'><Workspace ID='4' Name='Sketch'/>"
    "</Workspace></Workspace></Workspaces>";

TEST(WorkspacePickerTest, ReadsTheNestedTree) {
  std::vector<WorkspaceNode> roots;
  ASSERT_TRUE(parseWorkspaceTree(kTree, roots));
  ASSERT_EQ(roots.size(), 1u);
  EXPECT_EQ(roots[0].name, "Main");
  ASSERT_EQ(roots[0].children.size(), 2u);
  EXPECT_TRUE(roots[0].children[0].baseline);
  EXPECT_EQ(roots[0].children[1].name, "Ideas & drafts");
  EXPECT_EQ(roots[0].children[1].children[0].id, 4);
  EXPECT_FALSE(parseWorkspaceTree("<Workspaces><Workspace ID='1'>", roots));
  EXPECT_FALSE(parseWorkspaceTree("not xml", roots));
  EXPECT_FALSE(parseWorkspaceTree(
      "<!DOCTYPE w [<!ENTITY x SYSTEM 'file:///etc/passwd'>]><w><Workspace Name='&x;'/></w>",
      roots));
}

TEST(WorkspacePickerTest, AnswersTheChoiceOrWhyThereIsNone) {
  sharedXServer();
  ASSERT_TRUE(gui::onWindowThread());
  Object picker = createObject(kPickerProgId);
  const auto pick = [&](const Variant& tree, int32_t current) {
    std::vector<Variant> args{tree, Variant(0), Variant(current), Variant(int32_t{-1})};
    picker->invoke("PickWorkspace", kMethod, args);
    return std::make_pair(CLng(args[2]), CLng(args[3]));
  };
  whenModalShown<QDialog>([](QDialog* d) {
    auto* tree = d->findChild<QTreeWidget*>();
    EXPECT_EQ(tree->currentItem()->text(0), "Release 1 (baseline)");
    tree->setCurrentItem(tree->topLevelItem(0)->child(1)->child(0));
    d->accept();
  });
  EXPECT_EQ(pick(Variant(kTree), 2), std::make_pair(4, 0));
  whenModalShown<QDialog>([](QDialog* d) { d->reject(); });
  EXPECT_EQ(pick(Variant(kTree), 2), std::make_pair(2, 1));
  // A tree that is not one, or holds no workspace, is an error.
  EXPECT_EQ(pick(Variant("<Workspaces/>"), 2).second, 2);
  EXPECT_EQ(pick(Variant("garbage"), 2).second, 2);
  // The tree may come as a document.
  Object doc = createObject("MSXML2.DOMDocument");
  doc->call("loadXML", {Variant(kTree)});
  whenModalShown<QDialog>([](QDialog* d) { d->accept(); });
  EXPECT_EQ(pick(Variant(doc), 3), std::make_pair(3, 0));
}

}  // namespace
}  // namespace qxvb::test
