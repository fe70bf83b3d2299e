#include "ui/message_box/message_box.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

#include "ui/app/gui_thread.h"
#include "ui/app/owner_window.h"
#include "ui/window_helpers/window_helpers.h"
#include "ui/x11/x11_windows.h"

namespace qxvb::gui {

namespace {

constexpr int32_t kButtonMask = 0xF, kIconMask = 0xF0, kDefaultMask = 0xF00;
constexpr int32_t kSystemModal = 0x1000, kTopMost = 0x40000;
// The platform's box shows about 1024 characters of a prompt; beyond that
// (or that many lines) it would no longer fit on a screen.
constexpr size_t kMaxPromptChars = 1024;
constexpr int kMaxPromptLines = 40;

struct ButtonChoice {
  QMessageBox::StandardButton button;
  int32_t result;
};

std::vector<ButtonChoice> buttonsOf(int32_t style) {
  using B = QMessageBox;
  switch (style & kButtonMask) {
    case 1:
      return {{B::Ok, kIdOk}, {B::Cancel, kIdCancel}};
    case 2:
      return {{B::Abort, kIdAbort}, {B::Retry, kIdRetry}, {B::Ignore, kIdIgnore}};
    case 3:
      return {{B::Yes, kIdYes}, {B::No, kIdNo}, {B::Cancel, kIdCancel}};
    case 4:
      return {{B::Yes, kIdYes}, {B::No, kIdNo}};
    case 5:
      return {{B::Retry, kIdRetry}, {B::Cancel, kIdCancel}};
    default:
      return {{B::Ok, kIdOk}};
  }
}

QMessageBox::Icon iconOf(int32_t style) {
  switch (style & kIconMask) {
    case 0x10:
      return QMessageBox::Critical;
    case 0x20:
      return QMessageBox::Question;
    case 0x30:
      return QMessageBox::Warning;
    case 0x40:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

std::string shownPrompt(const std::string& prompt) {
  size_t end = prompt.size();
  size_t chars = 0;
  int lines = 0;
  for (size_t i = 0; i < prompt.size(); ++i) {
    // Counted by the first byte of each UTF-8 sequence, so no cut falls inside one.
    if ((static_cast<unsigned char>(prompt[i]) & 0xC0) == 0x80) continue;
    if (++chars > kMaxPromptChars || (prompt[i] == '\n' && ++lines >= kMaxPromptLines)) {
      end = i;
      break;
    }
  }
  if (end == prompt.size()) return prompt;
  return prompt.substr(0, end) + "\xE2\x80\xA6";
}

int32_t messageBox(const std::string& prompt, int32_t style,
                   const std::optional<std::string>& title, std::optional<int32_t> owner) {
  requireWindowThread("QX_MsgBox");
  const int32_t ownerWindow = owner ? *owner : static_cast<int32_t>(x11::activeWindow());
  std::string caption;
  if (title) {
    caption = *title;
  } else if (ownerWindow != 1) {
    caption = readWindowText(ownerWindow);
  }
  QMessageBox box(ownWidgetOf(ownerWindow));
  box.setWindowTitle(QString::fromStdString(caption));
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromStdString(shownPrompt(prompt)));
  box.setIcon(iconOf(style));
  const std::vector<ButtonChoice> choices = buttonsOf(style);
  std::vector<QAbstractButton*> buttons;
  for (const ButtonChoice& c : choices) buttons.push_back(box.addButton(c.button));
  const size_t defaultIndex = static_cast<size_t>((style & kDefaultMask) >> 8);
  box.setDefaultButton(
      static_cast<QPushButton*>(buttons[defaultIndex < buttons.size() ? defaultIndex : 0]));
  QAbstractButton* escape = nullptr;
  for (size_t i = 0; i < choices.size(); ++i) {
    if (choices[i].result == kIdCancel) escape = buttons[i];
  }
  if (choices.size() == 1) escape = buttons[0];
  if (escape != nullptr) box.setEscapeButton(escape);
  if ((style & (kSystemModal | kTopMost)) != 0) {
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  }
  box.setWindowModality(Qt::ApplicationModal);
  attachToForeignOwner(box, ownerWindow);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (size_t i = 0; i < choices.size(); ++i) {
    if (buttons[i] == clicked) return choices[i].result;
  }
  return escape != nullptr ? kIdCancel : kIdOk;
}

}  // namespace qxvb::gui
