#include "filemanager/gui/file_manager_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>

#include "ado/recordset.h"
#include "filemanager/file_manager.h"
#include "filemanager/recent_lists.h"
#include "files/gui/load_picture.h"
#include "files/special_folders.h"
#include "files/temp_names.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "platform/registry/app_settings.h"
#include "ui/fonts/fonts.h"
#include "ui/message_box/message_box.h"
#include "ui/picture/picture.h"

namespace qxvb::filestore {

namespace {

constexpr int32_t kCaptionText = 34968;
constexpr int kExtensionDelayMs = 300;
// Init_New's window is 1000 twips taller to show the pick controls.
constexpr int kPickRowTwips = 1000;
constexpr int32_t kErrorStyle = 48;
const char* const kPictureExtensions[] = {"bmp", "gif", "jpg", "jpeg", "png", "wmf", "emf", "svg"};

QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

bool isPreviewable(const QString& extension) {
  for (const char* e : kPictureExtensions) {
    if (extension == QLatin1String(e)) return true;
  }
  return false;
}

// Images-only mode keeps these extensions.
bool isPictureExtension(const QString& e) {
  return e == "gif" || e == "bmp" || e == "jpg" || e == "png" || e == "jpeg" || e.contains("svg") ||
         e.contains("wmf") || e.contains("emf");
}

std::string fieldText(const Variant& v) {
  return v.isNull() || v.isEmpty() ? std::string() : CStr(v);
}

// The Encrypt command's icon: a padlock, drawn as the style has none.
QIcon padlockIcon(const QColor& ink) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(ink, 3));
  p.drawArc(QRectF(9, 3, 14, 16), 0, 180 * 16);
  p.drawLine(QPointF(9, 11), QPointF(9, 15));
  p.drawLine(QPointF(23, 11), QPointF(23, 15));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 150, 30));
  p.drawRoundedRect(QRectF(5, 14, 22, 16), 3, 3);
  p.setBrush(ink);
  p.drawEllipse(QPointF(16, 21), 2.5, 2.5);
  p.drawRect(QRectF(15, 22, 2, 5));
  return QIcon(pixmap);
}

}  // namespace

FileManagerForm::FileManagerForm(QXFileManager& owner)
    : owner_(owner), model_(std::make_unique<FileListModel>()) {
  appName_ = owner.appName();
  settingsApp_ = owner.binding().settingsAppName;
  imagesOnly_ = owner.imagesOnly();
  setObjectName("frmFileManager");
  buildCommands();
  buildLayout();
  // The product's font localisation, as for its own forms.
  gui::applyFormLanguage(*this);
  resetCaption();
  const bool preview =
      registry::getAppSetting(settingsApp_, "FileManager", "PicturePreview") == "T";
  command(cmd::Preview)->setChecked(preview);
  previewPane_->setVisible(preview);
  rebuildRecentMenus();
}

FileManagerForm::~FileManagerForm() = default;

QAction* FileManagerForm::addCommand(int id, const QString& caption,
                                     const std::function<void()>& run) {
  auto* action = new QAction(caption, this);
  action->setData(id);
  connect(action, &QAction::triggered, this, [this, run] { guarded(run); });
  commands_[id] = action;
  return action;
}

QAction* FileManagerForm::command(int id) const {
  const auto it = commands_.find(id);
  return it != commands_.end() ? it->second : nullptr;
}

void FileManagerForm::runCommand(int id) {
  if (QAction* a = command(id)) {
    if (a->isEnabled()) a->trigger();
  }
}

void FileManagerForm::buildCommands() {
  QStyle* s = style();
  addCommand(cmd::Import, "Import", [this] {
    rebuildRecentMenus();
    importDialog(false);
  })->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
  addCommand(cmd::ImportDialog, qs(localString(34966)) + "...", [this] { importDialog(false); });
  addCommand(cmd::ImportAs, qs(localString(34967)) + "...", [this] { importDialog(true); });
  for (int i = 0; i < kRecentEntries; ++i) {
    addCommand(cmd::ImportFile0 + i, {}, [this, i] { importRecentFile(i); });
    addCommand(cmd::ExportFolder0 + i, {}, [this, i] { exportToRecentFolder(i); });
  }
  addCommand(cmd::Export, "Export", [this] {
    rebuildRecentMenus();
    // The recent folders drop down below the command's button.
    QToolBar* bar = findChild<QToolBar*>();
    QWidget* at = bar != nullptr ? bar->widgetForAction(command(cmd::Export)) : nullptr;
    exportMenu_->popup(at != nullptr ? at->mapToGlobal(QPoint(0, at->height()))
                                     : mapToGlobal(QPoint(0, 0)));
  })->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
  addCommand(cmd::ExportChoose, "&Choose Folder...", [this] { exportChooseFolder(); });
  addCommand(cmd::View, "View", [this] {
    viewSelected();
  })->setIcon(s->standardIcon(QStyle::SP_FileDialogContentsView));
  addCommand(cmd::Delete, "Delete", [this] {
    deleteSelected();
  })->setIcon(s->standardIcon(QStyle::SP_TrashIcon));
  addCommand(cmd::Encrypt, "Encrypt", [this] {
    encryptSelected();
  })->setIcon(padlockIcon(palette().color(QPalette::WindowText)));
  addCommand(cmd::Refresh, "Refresh", [this] {
    loadList();
  })->setIcon(s->standardIcon(QStyle::SP_BrowserReload));
  QAction* preview = addCommand(cmd::Preview, "Preview", [this] {
    previewPane_->setVisible(command(cmd::Preview)->isChecked());
    updatePreview();
  });
  preview->setCheckable(true);
  preview->setIcon(s->standardIcon(QStyle::SP_FileDialogInfoView));
  QAction* filter = addCommand(cmd::Filter, "Filter", [this] { applyFilters(); });
  filter->setCheckable(true);
  filter->setIcon(s->standardIcon(QStyle::SP_FileDialogDetailedView));
  addCommand(cmd::Workspace, "&Workspace...", [this] {
    chooseWorkspace();
  })->setVisible(owner_.binding().setup.workspaces);
  // The filter fields' commands take the focus to their field.
  addCommand(cmd::NameFilter, "N&ame", [this] {
    nameFilter_->setFocus();
    nameFilter_->selectAll();
  });
  addCommand(cmd::Extensions, "E&xts", [this] { lbExts_->setFocus(); });
  addCommand(cmd::Extension, "E&xt", [this] { lbExts_->setFocus(); });

  // Shortcuts a person expects; the grid's own keys follow below.
  command(cmd::Refresh)->setShortcut(QKeySequence::Refresh);
  command(cmd::Import)->setShortcut(QKeySequence("Ctrl+I"));
  command(cmd::ImportAs)->setShortcut(QKeySequence("Ctrl+Shift+I"));
  command(cmd::Export)->setShortcut(QKeySequence("Ctrl+E"));
  command(cmd::Filter)->setShortcut(QKeySequence("Ctrl+F"));
  for (auto& [id, action] : commands_) addAction(action);
  // Escape acts as the Cancel button.
  auto* escape = new QAction(this);
  escape->setShortcut(Qt::Key_Escape);
  connect(escape, &QAction::triggered, this, &QWidget::close);
  addAction(escape);

  importMenu_ = new QMenu("Import", this);
  exportMenu_ = new QMenu("Export", this);
  contextMenu_ = new QMenu(this);
}

void FileManagerForm::buildLayout() {
  // CommandBars1: the toolbar with the commands and the filter fields.
  auto* bar = addToolBar("Commands");
  bar->setObjectName("CommandBars1");
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  bar->addAction(command(cmd::Import));
  if (auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(command(cmd::Import)))) {
    b->setMenu(importMenu_);
    b->setPopupMode(QToolButton::MenuButtonPopup);
  }
  bar->addAction(command(cmd::Export));
  bar->addAction(command(cmd::View));
  bar->addAction(command(cmd::Delete));
  bar->addAction(command(cmd::Encrypt));
  bar->addSeparator();
  bar->addAction(command(cmd::Refresh));
  bar->addAction(command(cmd::Preview));
  bar->addSeparator();
  bar->addAction(command(cmd::Filter));
  auto* nameLabel = new QLabel(command(cmd::NameFilter)->text(), bar);
  nameLabel->setContentsMargins(6, 0, 4, 0);
  nameFilter_ = new QLineEdit(bar);
  nameFilter_->setObjectName("Filename");
  nameFilter_->setClearButtonEnabled(true);
  nameFilter_->setMinimumWidth(140);
  nameFilter_->setMaximumWidth(220);
  nameLabel->setBuddy(nameFilter_);
  bar->addWidget(nameLabel);
  bar->addWidget(nameFilter_);
  if (command(cmd::Workspace)->isVisible()) {
    bar->addSeparator();
    bar->addAction(command(cmd::Workspace));
  }

  // fg: the grid.
  grid_ = new QTableView(this);
  grid_->setObjectName("fg");
  grid_->setModel(model_.get());
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setAlternatingRowColors(true);
  grid_->setWordWrap(false);
  grid_->setShowGrid(false);
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  // Widths from the font, not from the rows: sizing to contents would
  // measure every row of a long list at each refill.
  QHeaderView* header = grid_->horizontalHeader();
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setStretchLastSection(false);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
  header->resizeSection(1, grid_->fontMetrics().horizontalAdvance("extension") + 16);
  header->resizeSection(2, grid_->fontMetrics().horizontalAdvance("0000-00-00 00:00:00 AM") + 16);
  grid_->horizontalHeader()->setHighlightSections(false);
  grid_->setContextMenuPolicy(Qt::DefaultContextMenu);
  grid_->installEventFilter(this);
  grid_->viewport()->installEventFilter(this);
  connect(grid_, &QTableView::doubleClicked, this, [this] { runCommand(cmd::View); });
  connect(grid_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { selectionChanged(); });
  connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this] { selectionChanged(); });

  // lbExts with its timer, and the preview pane.
  auto* side = new QWidget(this);
  auto* sideLayout = new QVBoxLayout(side);
  sideLayout->setContentsMargins(0, 0, 0, 0);
  auto* extLabel = new QLabel(command(cmd::Extension)->text(), side);
  lbExts_ = new QListWidget(side);
  lbExts_->setObjectName("lbExts");
  lbExts_->setSelectionMode(QAbstractItemView::MultiSelection);
  lbExts_->setMaximumHeight(150);
  extLabel->setBuddy(lbExts_);
  tmrExts_ = new QTimer(this);
  tmrExts_->setObjectName("tmrExts");
  tmrExts_->setSingleShot(true);
  tmrExts_->setInterval(kExtensionDelayMs);
  connect(tmrExts_, &QTimer::timeout, this, [this] { guarded([this] { applyFilters(); }); });
  connect(lbExts_, &QListWidget::itemSelectionChanged, tmrExts_, qOverload<>(&QTimer::start));
  connect(nameFilter_, &QLineEdit::textChanged, this, [this] {
    if (command(cmd::Filter)->isChecked()) tmrExts_->start();
  });
  previewPane_ = new QWidget(side);
  auto* previewLayout = new QVBoxLayout(previewPane_);
  previewLayout->setContentsMargins(0, 0, 0, 0);
  imgPreview_ = new QLabel(previewPane_);
  imgPreview_->setObjectName("imgPreview");
  imgPreview_->setAlignment(Qt::AlignCenter);
  imgPreview_->setMinimumSize(180, 160);
  imgPreview_->setFrameShape(QFrame::StyledPanel);
  lblNotPicture_ = new QLabel("Not a picture", previewPane_);
  lblNotPicture_->setObjectName("lblNotPicture");
  lblNotPicture_->setAlignment(Qt::AlignCenter);
  lblNotPicture_->setMinimumSize(180, 160);
  lblNotPicture_->setFrameShape(QFrame::StyledPanel);
  lblNotPicture_->hide();
  previewLayout->addWidget(imgPreview_, 1);
  previewLayout->addWidget(lblNotPicture_, 1);
  sideLayout->addWidget(extLabel);
  sideLayout->addWidget(lbExts_);
  sideLayout->addWidget(previewPane_, 1);
  sideLayout->addStretch(0);

  auto* splitter = new QSplitter(this);
  splitter->addWidget(grid_);
  splitter->addWidget(side);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  splitter->setSizes({560, 200});

  // The pick-mode controls.
  pickRow_ = new QWidget(this);
  auto* pickLayout = new QHBoxLayout(pickRow_);
  pickLayout->setContentsMargins(0, 4, 0, 0);
  lblFileName_ = new QLabel("File &name:", pickRow_);
  txtFileName_ = new QLineEdit(pickRow_);
  txtFileName_->setObjectName("txtFileName");
  txtFileName_->setReadOnly(true);
  lblFileName_->setBuddy(txtFileName_);
  cmdOK_ = new QPushButton("&OK", pickRow_);
  cmdCancel_ = new QPushButton("&Cancel", pickRow_);
  cmdExit_ = new QPushButton("E&xit", pickRow_);
  cmdOK_->setObjectName("cmdOK");
  cmdCancel_->setObjectName("cmdCancel");
  cmdExit_->setObjectName("cmdExit");
  pickLayout->addWidget(lblFileName_);
  pickLayout->addWidget(txtFileName_, 1);
  pickLayout->addWidget(cmdOK_);
  pickLayout->addWidget(cmdCancel_);
  pickLayout->addWidget(cmdExit_);
  connect(cmdOK_, &QPushButton::clicked, this, [this] { pickSelected(); });
  connect(cmdCancel_, &QPushButton::clicked, this, &QWidget::close);
  connect(cmdExit_, &QPushButton::clicked, this, &QWidget::close);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(splitter, 1);
  layout->addWidget(pickRow_);
  setCentralWidget(central);

  // StatusBar1 with the progress bar.
  status_ = new QLabel(this);
  status_->setObjectName("StatusBar1");
  statusBar()->addWidget(status_, 1);
  prgProgressBar_ = new QProgressBar(this);
  prgProgressBar_->setObjectName("prgProgressBar");
  prgProgressBar_->setMaximumWidth(200);
  prgProgressBar_->hide();
  statusBar()->addPermanentWidget(prgProgressBar_);

  const bool pickMode = fileManagerNewStyle();
  pickRow_->setVisible(pickMode);
  cmdOK_->setEnabled(fileManagerFromBrowseInternal());
  const int pickRow = pickMode ? static_cast<int>(kPickRowTwips * logicalDpiY() / 1440.0) : 0;
  resize(940, 520 + pickRow);
}

void FileManagerForm::resetCaption() {
  std::string caption = localString(kCaptionText);
  const WorkspaceInfo& ws = owner_.binding().workspace;
  if (owner_.binding().setup.workspaces && !ws.name.empty()) caption += " - " + ws.name;
  setWindowTitle(qs(caption));
}

void FileManagerForm::guarded(const std::function<void()>& work) {
  try {
    work();
  } catch (const AutomationError& e) {
    showMessage(e.description(), true);
  } catch (const std::exception& e) {
    showMessage(e.what(), true);
  }
}

void FileManagerForm::showMessage(const std::string& text, bool isError) {
  status_->setText(qs(text));
  if (isError && isVisible()) {
    gui::messageBox(text, kErrorStyle, appName_, static_cast<int32_t>(winId()));
  }
}

void FileManagerForm::loadList() {
  const std::vector<std::string> keep = selectedNames();
  auto rows = owner_.store().list();
  const bool workspaces = owner_.store().setup().workspaces;
  const int32_t wid = owner_.store().setup().wid;
  std::vector<ListedFile> files;
  files.reserve(static_cast<size_t>(std::max(rows->RecordCount(), 0)));
  const Variant nameColumn(int32_t{0}), dateColumn(int32_t{1}), widColumn(int32_t{3});
  for (; !rows->Eof(); rows->MoveNext()) {
    ListedFile f;
    f.name = fieldText(rows->Collect(nameColumn));
    f.shownName = qs(f.name);
    f.extension = extensionOfStoredName(f.shownName);
    const Variant date = rows->Collect(dateColumn);
    if (const auto* d = date.get<DateValue>()) {
      f.dateSerial = d->serial;
      f.hasDate = true;
    } else {
      f.dateText = qs(fieldText(date));
    }
    f.wid = workspaces ? CLng(rows->Collect(widColumn)) : wid;
    files.push_back(std::move(f));
  }
  rows->Close();
  model_->setFiles(std::move(files));
  fillExtensionList();
  applyFilters();
  selectNames(keep);
}

void FileManagerForm::fillExtensionList() {
  // Extensions already listed keep their selection; new ones are selected
  // unless images-only mode leaves them out.
  std::set<QString> deselected;
  for (int i = 0; i < lbExts_->count(); ++i) {
    if (!lbExts_->item(i)->isSelected())
      deselected.insert(lbExts_->item(i)->data(Qt::UserRole).toString());
  }
  const QSignalBlocker block(lbExts_);
  lbExts_->clear();
  for (const QString& e : model_->extensions()) {
    auto* item = new QListWidgetItem(e.isEmpty() ? QString("(none)") : e, lbExts_);
    item->setData(Qt::UserRole, e);
    bool selected = deselected.count(e) == 0;
    if (imagesOnly_) selected = isPictureExtension(e);
    item->setSelected(selected);
  }
}

void FileManagerForm::setImagesOnly(bool imagesOnly) {
  imagesOnly_ = imagesOnly;
  {
    const QSignalBlocker block(lbExts_);
    for (int i = 0; i < lbExts_->count(); ++i) {
      QListWidgetItem* item = lbExts_->item(i);
      item->setSelected(!imagesOnly || isPictureExtension(item->data(Qt::UserRole).toString()));
    }
  }
  applyFilters();
}

void FileManagerForm::applyFilters() {
  tmrExts_->stop();
  const QString name = command(cmd::Filter)->isChecked() ? nameFilter_->text() : QString();
  std::set<QString> extensions;
  bool all = true;
  for (int i = 0; i < lbExts_->count(); ++i) {
    if (lbExts_->item(i)->isSelected()) {
      extensions.insert(lbExts_->item(i)->data(Qt::UserRole).toString());
    } else {
      all = false;
    }
  }
  const std::vector<std::string> keep = selectedNames();
  model_->setFilters(name, all ? nullptr : &extensions);
  selectNames(keep);
  selectionChanged();
}

void FileManagerForm::refill() {
  applyFilters();
}

std::vector<std::string> FileManagerForm::selectedNames() const {
  std::vector<std::string> names;
  if (grid_ == nullptr || grid_->selectionModel() == nullptr) return names;
  QModelIndexList rows = grid_->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  for (const QModelIndex& i : rows) names.push_back(model_->fileAt(i.row()).name);
  return names;
}

void FileManagerForm::selectNames(const std::vector<std::string>& names) {
  QItemSelection selection;
  int first = -1;
  for (const std::string& n : names) {
    const int row = model_->rowOf(n);
    if (row < 0) continue;
    if (first < 0) first = row;
    selection.select(model_->index(row, 0), model_->index(row, 2));
  }
  grid_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (first >= 0) {
    grid_->selectionModel()->setCurrentIndex(model_->index(first, 0),
                                             QItemSelectionModel::NoUpdate);
    grid_->scrollTo(model_->index(first, 0));
  }
}

void FileManagerForm::selectionChanged() {
  const QModelIndex current = grid_->currentIndex();
  const bool selected =
      current.isValid() && grid_->selectionModel()->isRowSelected(current.row(), {});
  txtFileName_->setText(selected ? model_->fileAt(current.row()).shownName : QString());
  updatePreview();
}

std::string FileManagerForm::temporaryFolder() const {
  return CStr(globalInstance("QX_File_Utils")
                  ->call("QX_File_GetFolderLocation", {Variant(0), Variant(QXSF_TemporaryFolder)}));
}

void FileManagerForm::updatePreview() {
  if (!command(cmd::Preview)->isChecked()) return;
  imgPreview_->clear();
  const QModelIndex current = grid_->currentIndex();
  if (!current.isValid()) {
    lblNotPicture_->hide();
    imgPreview_->show();
    return;
  }
  const ListedFile& file = model_->fileAt(current.row());
  QImage image;
  if (isPreviewable(file.extension)) {
    try {
      // The picture goes through a temporary file, as the loaders read files.
      const std::string temp =
          files::createTempFileExt(temporaryFolder(), "qx", file.extension.toStdString());
      if (!temp.empty()) {
        owner_.store().retrieve(file.name, file.wid, temp);
        auto utils = std::static_pointer_cast<QX_File_Utils>(globalInstance("QX_File_Utils"));
        const auto picture = std::dynamic_pointer_cast<Picture>(QX_File_LoadPicture(*utils, temp));
        if (picture) image = picture->image();
        std::error_code ec;
        std::filesystem::remove(temp, ec);
      }
    } catch (const std::exception&) {
      image = QImage();
    }
  }
  if (image.isNull()) {
    imgPreview_->hide();
    lblNotPicture_->show();
    return;
  }
  // Pictures shrink to the pane; small ones keep their size.
  const QSize room = imgPreview_->contentsRect().size() - QSize(8, 8);
  if (image.width() > room.width() || image.height() > room.height()) {
    image = image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  imgPreview_->setPixmap(QPixmap::fromImage(image));
  lblNotPicture_->hide();
  imgPreview_->show();
}

void FileManagerForm::dropDownCommandMenu(const QPoint& where) {
  rebuildRecentMenus();
  contextMenu_->clear();
  contextMenu_->addMenu(importMenu_);
  contextMenu_->addMenu(exportMenu_);
  contextMenu_->addSeparator();
  for (int id : {cmd::View, cmd::Delete, cmd::Encrypt}) contextMenu_->addAction(command(id));
  contextMenu_->addSeparator();
  for (int id : {cmd::Refresh, cmd::Preview, cmd::Filter}) contextMenu_->addAction(command(id));
  contextMenu_->popup(where);
}

bool FileManagerForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Delete) {
      runCommand(cmd::Delete);
      return true;
    }
    if (key->key() == Qt::Key_Menu) {
      if (model_->rowCount() > 0) {
        const QRect r = grid_->visualRect(grid_->currentIndex());
        dropDownCommandMenu(
            grid_->viewport()->mapToGlobal(r.isValid() ? r.bottomLeft() : QPoint(0, 0)));
      }
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      close();
      return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      runCommand(cmd::View);
      return true;
    }
  }
  if (watched == grid_ && event->type() == QEvent::ContextMenu) {
    auto* menu = static_cast<QContextMenuEvent*>(event);
    if (menu->reason() == QContextMenuEvent::Keyboard) return true;  // handled as Key_Menu
  }
  if (watched == grid_->viewport() && event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::RightButton) {
      const QModelIndex at = grid_->indexAt(mouse->position().toPoint());
      if (at.isValid()) {
        // The row under the pointer becomes the current row first.
        if (!grid_->selectionModel()->isRowSelected(at.row(), {})) {
          grid_->selectionModel()->setCurrentIndex(
              at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        } else {
          grid_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
        }
        dropDownCommandMenu(mouse->globalPosition().toPoint());
      }
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void FileManagerForm::present(bool modal) {
  setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
  show();
  raise();
  activateWindow();
  grid_->setFocus();
  // The window shows (and the caller's other windows go on) before the
  // list is read.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  guarded([this] { loadList(); });
  if (!modal) return;
  QEventLoop loop;
  onClosed_ = [&loop] { loop.quit(); };
  loop.exec();
  onClosed_ = nullptr;
}

void FileManagerForm::closeEvent(QCloseEvent* event) {
  registry::saveAppSetting(settingsApp_, "FileManager", "PicturePreview",
                           command(cmd::Preview)->isChecked() ? "T" : "F");
  // Escape acts as Cancel: the window closes without a choice.
  QMainWindow::closeEvent(event);
  owner_.closeOwnConnection();
  if (onClosed_) onClosed_();
}

}  // namespace qxvb::filestore
