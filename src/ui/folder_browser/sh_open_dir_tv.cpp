#include "ui/folder_browser/sh_open_dir_tv.h"

#include <exception>
#include <memory>

#include "frame/automation_error.h"
#include "frame/module_state.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "ui/app/gui_thread.h"
#include "ui/common_dialogs/dialog_position.h"
#include "ui/folder_browser/folder_browser_dialog.h"
#include "ui/message_box/message_box.h"

namespace qxvb::gui {

namespace {

constexpr int32_t kAlreadyOpenText = 41126;
constexpr int32_t kCriticalStyle = 16;
constexpr const char* kValidPath = "Valid Path";

// The browser whose dialog is open on this thread.
thread_local ShOpenDirTV* tOpenBrowser = nullptr;

class OpenBrowserRegistration {
 public:
  explicit OpenBrowserRegistration(ShOpenDirTV* browser) { tOpenBrowser = browser; }
  ~OpenBrowserRegistration() { tOpenBrowser = nullptr; }
  OpenBrowserRegistration(const OpenBrowserRegistration&) = delete;
  OpenBrowserRegistration& operator=(const OpenBrowserRegistration&) = delete;
};

bool isPicture(const Variant& v) {
  const Object* o = v.get<Object>();
  return o != nullptr && *o != nullptr;
}

}  // namespace

ShOpenDirTV::ShOpenDirTV() : icon_(Object()) {}

ShOpenDirTV::~ShOpenDirTV() = default;

int32_t ShOpenDirTV::dialogWindow() const {
  return dialog_ != nullptr ? static_cast<int32_t>(dialog_->winId()) : 0;
}

std::string ShOpenDirTV::OpenDirectoryTV(int32_t owner, const std::string& message,
                                         const std::string& title, const std::string& defaultPath,
                                         const Variant& icon, bool validateEvent, int32_t flags) {
  requireWindowThread("OpenDirectoryTV");
  message_ = message;
  title_ = title;
  defaultPath_ = defaultPath;
  validate_ = validateEvent;
  flags_ = flags;
  statusText_ = (flags & QX_BIF_STATUSTEXT) != 0;
  iconGiven_ = isPicture(icon);
  icon_ = iconGiven_ ? icon : Variant(Object());

  if (tOpenBrowser != nullptr) {
    messageBox(localString(kAlreadyOpenText), kCriticalStyle, std::string(kProjectName),
               std::nullopt);
    return {};
  }
  OpenBrowserRegistration registration(this);
  // The new dialog style has no status line of its own: the status then
  // follows the message.
  const bool statusLine = (flags & QX_BIF_STATUSTEXT) != 0 && (flags & QX_BIF_NEWDIALOGSTYLE) == 0;
  FolderBrowserDialog dialog((flags & QX_BIF_BROWSEINCLUDEFILES) != 0, statusLine);
  dialog_ = &dialog;
  dialog.setWatcher([this](const std::string& path) { selectionChanged(path); });
  setDialogOwner(dialog, owner);
  centreWhenShown(dialog, owner, true);
  std::string chosen;
  try {
    initialise();
    if (dialog.exec() == QDialog::Accepted) chosen = dialog.chosen();
  } catch (...) {
    dialog_ = nullptr;
    throw;
  }
  dialog_ = nullptr;
  return chosen;
}

void ShOpenDirTV::initialise() {
  if (dialog_ == nullptr) return;
  dialog_->setStatus(std::string(11, ' '));
  dialog_->setMessage(message_);
  dialog_->setWindowTitle(QString::fromStdString(title_));
  if (iconGiven_) stringTableObject()->call("SetIcon", {Variant(dialogWindow())});
  if (!defaultPath_.empty()) dialog_->selectFolder(defaultPath_);
}

void ShOpenDirTV::selectionChanged(const std::string& path) {
  if (dialog_ == nullptr || path.empty()) return;
  bool valid = true;
  std::string status;
  if (validate_) {
    std::vector<Variant> args{Variant(path), Variant(true), Variant("")};
    try {
      events_.fire("ValidatePath", args);
      valid = CBool(args[1]);
      status = CStr(args[2]);
    } catch (const std::exception& e) {
      // A handler that fails refuses the folder; the dialog stays usable.
      valid = false;
      const auto* error = dynamic_cast<const AutomationError*>(&e);
      status = error != nullptr ? error->description() : e.what();
    }
  } else {
    status = kValidPath;
  }
  dialog_->setOkEnabled(valid);
  if (statusText_) showStatus(status);
}

void ShOpenDirTV::showStatus(const std::string& status) {
  if (dialog_->hasStatusLine()) {
    dialog_->setStatus(status);
  } else {
    dialog_->setMessage(message_ + "\r\n\r\n" + status);
  }
}

int32_t ShOpenDirTV::MyCallBackTV(int32_t window, int32_t message, int32_t lParam, int32_t lpData) {
  (void)lpData;
  if (dialog_ == nullptr || window == 0 || window != dialogWindow()) return 0;
  if (message == kBrowseInitialised) initialise();
  if (message == kBrowseSelectionChanged && lParam != 0) selectionChanged(dialog_->highlighted());
  return 0;
}

const DispatchTable& ShOpenDirTV::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("ShOpenDirTV");
    using Self = ShOpenDirTV;
    Members<Self>(t)
        .method("OpenDirectoryTV",
                {in("v_lngHWndOwner"), ref("odtvMsg"), ref("odtvTitle"),
                 optRef("odtvDefaultPath", Variant("")), optRef("odtvIcon"),
                 opt("v_blnValidateEvent", Variant(true)),
                 opt("v_lngFlags", Variant(kDefaultBrowseFlags))},
                [](Self& s, CallArgs& a) {
                  const Variant icon = a.missing(4) ? Variant(Object()) : a[4];
                  return Variant(s.OpenDirectoryTV(a.lng(0), a.str(1), a.str(2), a.str(3), icon,
                                                   a.boolean(5), a.lng(6)));
                })
        .method("MyCallBackTV", {in("hWind"), in("uMsg"), in("lParam"), ref("lpData")},
                [](Self& s, CallArgs& a) {
                  return Variant(s.MyCallBackTV(a.lng(0), a.lng(1), a.lng(2), a.lng(3)));
                })
        .get("iconOpenDirTV", {}, [](Self& s, CallArgs&) { return s.icon(); })
        .putRef("iconOpenDirTV", {in("Value")},
                [](Self& s, CallArgs& a) {
                  s.setIcon(Variant(CObj(a[0])));
                  return Variant();
                })
        .put("iconOpenDirTV", {in("Value")}, [](Self& s, CallArgs& a) {
          s.setIcon(Variant(CObj(a[0])));
          return Variant();
        });
    return t;
  }();
  return table;
}

Object makeShOpenDirTV() {
  return std::make_shared<ShOpenDirTV>();
}

}  // namespace qxvb::gui
