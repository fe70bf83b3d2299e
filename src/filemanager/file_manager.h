// QXFileManager: the public object of the repository's file store. It
// binds the store to a repository connection and owns the file manager
// window, or imports files without showing anything.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "filemanager/file_manager_window.h"
#include "filemanager/file_store.h"
#include "filemanager/store_connection.h"
#include "frame/dispatch.h"
#include "frame/events.h"

namespace qxvb {

inline constexpr const char* kFileManagerEventsIid = "{F99DACB1-4EF3-4A8A-8E35-9BBA9D88B51D}";

// Flags shared by all file manager objects of the calling thread.
bool fileManagerFromBrowseInternal();
void setFileManagerFromBrowseInternal(bool value);
bool fileManagerNewStyle();

class QXFileManager : public Dispatch {
 public:
  QXFileManager();
  ~QXFileManager() override;
  const DispatchTable& dispatchTable() const override;
  ConnectionPoint* events() override { return &events_; }

  const std::string& SelectedFileName() const { return selectedFileName_; }
  void setSelectedFileName(std::string value) { selectedFileName_ = std::move(value); }
  bool FromBrowseInternal() const { return fileManagerFromBrowseInternal(); }
  void setFromBrowseInternal(bool value) { setFileManagerFromBrowseInternal(value); }

  // connection: an open data-access connection, or Nothing to open one from
  // connectionString; wsid 0 means workspace 1.
  void Init(const std::string& appName, Object& connection, const std::string& connectionString,
            int32_t wsid);
  void Init_New(const std::string& appName, Object& connection, const std::string& connectionString,
                int32_t wsid);
  void Init_New_noADO(const std::string& appName, const std::string& connectionString,
                      int32_t wsid);
  void SetForImagesOnly(bool imagesOnly);
  void Show(bool modal);
  // collection: a Collection of file paths.
  void ImportFiles(const Object& collection);
  void importFiles(const std::vector<filestore::Import_File>& files);

  // For the window: the store, its binding and the caller's title.
  bool initialised() const { return store_.has_value(); }
  filestore::FileStore& store();
  const filestore::OpenedStore& binding() const { return opened_; }
  const std::string& appName() const { return appName_; }
  bool imagesOnly() const { return imagesOnly_; }
  FileManagerWindow* window() const { return window_.get(); }

  // A message: to the visible window, else through the Status event.
  void report(const std::string& text, bool isError);
  filestore::StoreReport storeReport();

  // The window's workspace choice: the workspace's name and baseline flag
  // from the tree, and the view its files are read through.
  void switchWorkspace(int32_t wid, const std::string& treeXml);
  // A connection the object opened itself is closed with the window and
  // opened again when the window is shown again.
  void closeOwnConnection();
  void reopenOwnConnection();

  void raiseStatus(const std::string& text);
  void raiseProgressBarInit(int32_t min, int32_t max);
  void raiseProgressBar(int32_t value);
  void raiseResetProgressBar();

 private:
  void fire(std::string_view name, std::vector<Variant> args);

  std::string selectedFileName_;
  std::string appName_;
  bool imagesOnly_ = false;
  filestore::OpenedStore opened_;
  std::optional<filestore::FileStore> store_;
  std::unique_ptr<FileManagerWindow> window_;
  ConnectionPoint events_{kFileManagerEventsIid};
};

Object makeQXFileManager();

}  // namespace qxvb
