// Help and the host connection (members of QXUtilities).
#pragma once

#include <cstdint>
#include <string>

namespace qxvb {
class QXUtilities;
}

namespace qxvb::gui {

// Opens the documentation in the mode at the topic; a retired topic asked
// for in topic mode becomes "" (also in helpId). False without a help root
// or when the viewer cannot be started.
bool QX_Util_Help(QXUtilities& self, int32_t mode, std::string& helpId, int32_t parent);
// Runs the viewer this instance started with " -exit -nosplash".
void QX_Util_CloseHelp(QXUtilities& self);
std::string QX_GetConnectStringFromQX(const std::string& strCon);
bool isRetiredTopic(const std::string& topic);

}  // namespace qxvb::gui
