// ShOpenDirTV: the folder browser with its ValidatePath event. While the
// person moves through the folders, the event lets the caller accept or
// refuse the highlighted folder (OK follows the answer) and give a status
// text. One browser can be open per thread.
#pragma once

#include <cstdint>
#include <string>

#include "frame/dispatch.h"
#include "frame/events.h"

namespace qxvb::gui {

inline constexpr const char* kShOpenDirTVEventsIid = "{E32C8D2C-8DAD-4DAA-8C64-61DC1BCE8B94}";

// enuQX_ShDirTVFlags: the platform's browse flags.
enum enuQX_ShDirTVFlags : int32_t {
  QX_BIF_RETURNONLYFSDIRS = 1,
  QX_BIF_DONTGOBELOWDOMAIN = 2,
  QX_BIF_STATUSTEXT = 4,
  QX_BIF_RETURNFSANCESTORS = 8,
  QX_BIF_EDITBOX = 16,
  QX_BIF_VALIDATE = 32,
  QX_BIF_NEWDIALOGSTYLE = 64,
  QX_BIF_BROWSEFORCOMPUTER = 4096,
  QX_BIF_BROWSEFORPRINTER = 8192,
  QX_BIF_BROWSEINCLUDEFILES = 16384,
};
inline constexpr int32_t kDefaultBrowseFlags = 101;

// The callback's messages: the dialog is ready; the selection changed.
inline constexpr int32_t kBrowseInitialised = 1;
inline constexpr int32_t kBrowseSelectionChanged = 2;

class FolderBrowserDialog;

class ShOpenDirTV : public Dispatch {
 public:
  ShOpenDirTV();
  ~ShOpenDirTV() override;
  const DispatchTable& dispatchTable() const override;
  ConnectionPoint* events() override { return &events_; }

  // icon: the caller's picture (Nothing or Empty for none).
  std::string OpenDirectoryTV(int32_t owner, const std::string& message, const std::string& title,
                              const std::string& defaultPath, const Variant& icon,
                              bool validateEvent, int32_t flags);
  int32_t MyCallBackTV(int32_t window, int32_t message, int32_t lParam, int32_t lpData);

  const Variant& icon() const { return icon_; }
  void setIcon(Variant icon) { icon_ = std::move(icon); }

  // The open dialog of this object (while OpenDirectoryTV runs), for tests.
  FolderBrowserDialog* openDialog() const { return dialog_; }
  // The dialog's window handle; 0 when none is open.
  int32_t dialogWindow() const;

 private:
  void initialise();
  void selectionChanged(const std::string& path);
  void showStatus(const std::string& status);

  ConnectionPoint events_{kShOpenDirTVEventsIid};
  std::string message_, title_, defaultPath_;
  bool validate_ = true;
  bool statusText_ = false;
  int32_t flags_ = kDefaultBrowseFlags;
  Variant icon_;
  bool iconGiven_ = false;
  FolderBrowserDialog* dialog_ = nullptr;
};

Object makeShOpenDirTV();

}  // namespace qxvb::gui
