// QX_MsgBox: the platform's message box with its style numbers (buttons,
// icon, default button, modality) and result codes, shown as a Qt message
// box owned by any client's window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qxvb::gui {

// Result codes.
inline constexpr int32_t kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5,
                         kIdYes = 6, kIdNo = 7;

// Shows the box modally and answers the button chosen. The owner is the
// given window, else the active window; the caption is the title, else
// (unless the owner handle is 1) the owner's title. Escape and the close
// button answer Cancel where there is a Cancel button, and OK in a box
// that has only OK. Raises RPC_E_WRONG_THREAD off the window thread.
int32_t messageBox(const std::string& prompt, int32_t style,
                   const std::optional<std::string>& title, std::optional<int32_t> owner);

// The text a message box shows of a prompt: very long prompts are cut so
// that the box still fits on the screen.
std::string shownPrompt(const std::string& prompt);

}  // namespace qxvb::gui
