#include "filemanager/file_manager.h"

#include "ado/connection.h"
#include "frame/automation_error.h"
#include "frame/collection.h"
#include "frame/vb_conversions.h"

namespace qxvb {

namespace {

constexpr std::string_view kSource = "QXFileManager";

thread_local bool tFromBrowseInternal = false;
thread_local bool tNewStyle = false;

FileManagerWindowFactory& windowFactory() {
  static FileManagerWindowFactory factory;
  return factory;
}

std::vector<filestore::Import_File> importListOf(const Object& collection) {
  std::vector<filestore::Import_File> files;
  if (!collection) raiseVbError(vberr::ObjectNotSet, kSource);
  const int32_t count = CLng(collection->getProperty("Count"));
  for (int32_t i = 1; i <= count; ++i) {
    files.push_back({CStr(collection->call("Item", {Variant(i)})), {}});
  }
  return files;
}

}  // namespace

void setFileManagerWindowFactory(FileManagerWindowFactory factory) {
  windowFactory() = std::move(factory);
}

const FileManagerWindowFactory& fileManagerWindowFactory() {
  return windowFactory();
}

bool fileManagerFromBrowseInternal() {
  return tFromBrowseInternal;
}

void setFileManagerFromBrowseInternal(bool value) {
  tFromBrowseInternal = value;
}

bool fileManagerNewStyle() {
  return tNewStyle;
}

QXFileManager::QXFileManager() = default;

QXFileManager::~QXFileManager() {
  window_.reset();
  closeOwnConnection();
}

void QXFileManager::closeOwnConnection() {
  if (!opened_.ownsConnection || !opened_.setup.connection) return;
  try {
    if (opened_.setup.connection->State() != 0) opened_.setup.connection->Close();
  } catch (const AutomationError&) {
  }
}

void QXFileManager::reopenOwnConnection() {
  if (!opened_.ownsConnection || !opened_.setup.connection) return;
  if (opened_.setup.connection->State() == 0) opened_.setup.connection->Open();
}

void QXFileManager::switchWorkspace(int32_t wid, const std::string& treeXml) {
  filestore::StoreSetup setup = opened_.setup;
  setup.wid = wid == 0 ? 1 : wid;
  setup.filesView = filestore::filesViewName(*setup.connection, setup.oracle, setup.wid);
  opened_.workspace = filestore::workspaceFromTree(treeXml, setup.wid);
  opened_.setup = setup;
  store_.emplace(setup);
}

void QXFileManager::Init(const std::string& appName, Object& connection,
                         const std::string& connectionString, int32_t wsid) {
  window_.reset();
  closeOwnConnection();
  store_.reset();
  appName_ = appName;
  opened_ = filestore::openStore(connection, connectionString, wsid);
  store_.emplace(opened_.setup);
  connection = opened_.setup.connection;
  if (windowFactory()) window_ = windowFactory()(*this);
}

void QXFileManager::Init_New(const std::string& appName, Object& connection,
                             const std::string& connectionString, int32_t wsid) {
  tNewStyle = true;
  Init(appName, connection, connectionString, wsid);
}

void QXFileManager::Init_New_noADO(const std::string& appName, const std::string& connectionString,
                                   int32_t wsid) {
  Object none;
  Init_New(appName, none, connectionString, wsid);
}

void QXFileManager::SetForImagesOnly(bool imagesOnly) {
  if (!initialised()) return;
  imagesOnly_ = imagesOnly;
  if (window_) window_->setImagesOnly(imagesOnly);
}

void QXFileManager::Show(bool modal) {
  if (!initialised()) raiseVbError(vberr::ObjectNotSet, kSource);
  if (!window_) {
    raiseError(vberr::InvalidProcedureCall, kSource,
               "The file manager window is not available in this program.");
  }
  window_->show(modal);
}

filestore::FileStore& QXFileManager::store() {
  if (!store_) raiseVbError(vberr::ObjectNotSet, kSource);
  return *store_;
}

void QXFileManager::ImportFiles(const Object& collection) {
  importFiles(importListOf(collection));
}

void QXFileManager::importFiles(const std::vector<filestore::Import_File>& files) {
  if (files.empty()) return;
  std::vector<std::string> paths;
  paths.reserve(files.size());
  for (const auto& file : files) paths.push_back(file.Name);
  try {
    store().importFiles(files, storeReport());
  } catch (const filestore::ProcedureRefused&) {
    // Already reported; the list shows what the store holds now.
  }
  if (window_) window_->filesImported(paths);
}

void QXFileManager::report(const std::string& text, bool isError) {
  if (window_ && window_->isVisible()) {
    window_->showMessage(text, isError);
  } else {
    raiseStatus(text);
  }
}

filestore::StoreReport QXFileManager::storeReport() {
  filestore::StoreReport r;
  r.message = [this](const std::string& text) { report(text, true); };
  r.status = [this](const std::string& text) { report(text, false); };
  r.progressInit = [this](int32_t min, int32_t max) { raiseProgressBarInit(min, max); };
  r.progress = [this](int32_t value) { raiseProgressBar(value); };
  r.progressReset = [this] { raiseResetProgressBar(); };
  return r;
}

void QXFileManager::fire(std::string_view name, std::vector<Variant> args) {
  events_.fire(name, args);
}

void QXFileManager::raiseStatus(const std::string& text) {
  fire("Status", {Variant(text)});
}

void QXFileManager::raiseProgressBarInit(int32_t min, int32_t max) {
  fire("ProgressBarInit", {Variant(min), Variant(max)});
}

void QXFileManager::raiseProgressBar(int32_t value) {
  fire("ProgressBar", {Variant(value)});
}

void QXFileManager::raiseResetProgressBar() {
  fire("ResetProgressBar", {});
}

const DispatchTable& QXFileManager::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QXFileManager");
    using Self = QXFileManager;
    const auto init = [](bool newStyle) {
      return [newStyle](Self& s, CallArgs& a) {
        Object connection = a[1].isMissing() || a[1].isEmpty() ? Object() : a.object(1);
        if (newStyle) {
          s.Init_New(a.str(0), connection, a.str(2), a.lng(3));
        } else {
          s.Init(a.str(0), connection, a.str(2), a.lng(3));
        }
        if (!a[1].isMissing()) a.set(1, Variant(connection));
        return Variant();
      };
    };
    const std::vector<ParamSpec> initParams{in("v_appName"), optRef("r_oConnection"),
                                            opt("v_strConnectionString", Variant("")),
                                            opt("v_lngWSID", Variant(int32_t{0}))};
    Members<Self>(t)
        .get<&Self::SelectedFileName>("SelectedFileName", {})
        .put<&Self::setSelectedFileName>("SelectedFileName", {in("Value")})
        .get<&Self::FromBrowseInternal>("FromBrowseInternal", {})
        .put<&Self::setFromBrowseInternal>("FromBrowseInternal", {in("Value")})
        .method("Init", initParams, init(false))
        .method("Init_New", initParams, init(true))
        .method<&Self::Init_New_noADO>("Init_New_noADO",
                                       {in("v_appName"), opt("v_strConnectionString", Variant("")),
                                        opt("v_lngWSID", Variant(int32_t{0}))})
        .method<&Self::SetForImagesOnly>("SetForImagesOnly", {in("v")})
        .method<&Self::Show>("Show", {opt("v_blnModal", Variant(true))})
        .method<&Self::ImportFiles>("ImportFiles", {ref("r_collection")});
    return t;
  }();
  return table;
}

Object makeQXFileManager() {
  return std::make_shared<QXFileManager>();
}

}  // namespace qxvb
