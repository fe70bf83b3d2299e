#include "components/workspace_picker/gui/workspace_picker.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QXmlStreamReader>
#include <memory>

#include "frame/vb_conversions.h"
#include "ui/app/gui_thread.h"
#include "ui/common_dialogs/dialog_position.h"

namespace qxvb::workspace_picker {

namespace {

constexpr int kIdRole = Qt::UserRole;

std::string treeText(const Variant& tree) {
  if (const Object* o = tree.get<Object>()) {
    return *o ? CStr((*o)->getProperty("xml")) : std::string();
  }
  return CStr(tree);
}

void addNodes(QTreeWidgetItem* parent, QTreeWidget& tree, const std::vector<WorkspaceNode>& nodes,
              int32_t current) {
  for (const WorkspaceNode& n : nodes) {
    QString text = QString::fromStdString(n.name);
    if (n.baseline) text += " (baseline)";
    auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(&tree);
    item->setText(0, text);
    item->setData(0, kIdRole, n.id);
    if (n.id == current) tree.setCurrentItem(item);
    addNodes(item, tree, n.children, current);
  }
}

}  // namespace

bool parseWorkspaceTree(const std::string& xml, std::vector<WorkspaceNode>& roots) {
  roots.clear();
  QXmlStreamReader reader(QByteArray::fromStdString(xml));
  // The open workspaces, innermost last; null entries for other elements.
  std::vector<WorkspaceNode*> open;
  bool sawRoot = false;
  while (!reader.atEnd()) {
    reader.readNext();
    if (reader.isStartElement()) {
      sawRoot = true;
      if (reader.name() != QLatin1String("Workspace")) {
        open.push_back(nullptr);
        continue;
      }
      WorkspaceNode node;
      const QXmlStreamAttributes a = reader.attributes();
      node.id = a.value("ID").toInt();
      node.name = a.value("Name").toString().toStdString();
      node.baseline = a.value("Baseline").toInt() != 0;
      WorkspaceNode* parent = nullptr;
      for (auto it = open.rbegin(); it != open.rend() && parent == nullptr; ++it) parent = *it;
      std::vector<WorkspaceNode>& siblings = parent != nullptr ? parent->children : roots;
      siblings.push_back(std::move(node));
      open.push_back(&siblings.back());
    } else if (reader.isEndElement() && !open.empty()) {
      open.pop_back();
    }
  }
  return sawRoot && !reader.hasError();
}

void fillTree(QTreeWidget& tree, const std::vector<WorkspaceNode>& roots, int32_t current) {
  tree.clear();
  addNodes(nullptr, tree, roots, current);
  tree.expandAll();
}

void WorkspacePicker::PickWorkspace(const Variant& tree, int32_t owner, int32_t& wsid,
                                    int32_t& flags) {
  std::vector<WorkspaceNode> roots;
  if (!parseWorkspaceTree(treeText(tree), roots) || roots.empty() || !gui::onWindowThread()) {
    flags = kFailed;
    return;
  }
  QDialog dialog;
  dialog.setWindowTitle("Workspaces");
  auto* label = new QLabel("&Choose the workspace to work in:", &dialog);
  auto* view = new QTreeWidget(&dialog);
  view->setHeaderHidden(true);
  label->setBuddy(view);
  fillTree(*view, roots, wsid);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(view, &QTreeWidget::itemActivated, &dialog, &QDialog::accept);
  const auto sync = [view, buttons] {
    buttons->button(QDialogButtonBox::Ok)->setEnabled(view->currentItem() != nullptr);
  };
  QObject::connect(view, &QTreeWidget::currentItemChanged, &dialog, sync);
  sync();
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(label);
  layout->addWidget(view);
  layout->addWidget(buttons);
  dialog.resize(360, 400);
  gui::setDialogOwner(dialog, owner);
  gui::centreWhenShown(dialog, owner, true);
  if (dialog.exec() != QDialog::Accepted || view->currentItem() == nullptr) {
    flags = kCancelled;
    return;
  }
  wsid = view->currentItem()->data(0, kIdRole).toInt();
  flags = kPicked;
}

const DispatchTable& WorkspacePicker::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("WorkspacePicker");
    Members<WorkspacePicker>(t).method(
        "PickWorkspace",
        {in("v_objTree"), opt("v_lngHWndOwner", Variant(0)), optRef("r_lngWSID", Variant(0)),
         optRef("r_lngFlags", Variant(0))},
        [](WorkspacePicker& p, CallArgs& a) {
          int32_t wsid = a.lng(2);
          int32_t flags = 0;
          p.PickWorkspace(a[0], a.lng(1), wsid, flags);
          if (!a.missing(2)) a.set(2, Variant(wsid));
          if (!a.missing(3)) a.set(3, Variant(flags));
          return Variant(flags == kPicked);
        });
    return t;
  }();
  return table;
}

Object makeWorkspacePicker() {
  return std::make_shared<WorkspacePicker>();
}

}  // namespace qxvb::workspace_picker
