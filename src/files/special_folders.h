// The folder numbers of the file utilities and the platform's special
// folders they map to. Numbers 0 to 48 are the shell's folder numbers,
// answered from the XDG base and user directories; 257 to 269 are the
// library's own and are built by the folder-location rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qxvb {

enum enuQXSpecialFolders : int32_t {
  QXSF_Desktop = 0,
  QXSF_Internet = 1,
  QXSF_PROGRAMS = 2,
  QXSF_CONTROLS = 3,
  QXSF_PRINTERS = 4,
  QXSF_MyDocuments = 5,
  QXSF_FAVORITES = 6,
  QXSF_STARTUP = 7,
  QXSF_RECENT = 8,
  QXSF_SENDTO = 9,
  QXSF_BITBUCKET = 10,
  QXSF_STARTMENU = 11,
  QXSF_DESKTOPDIRECTORY = 16,
  QXSF_DRIVES = 17,
  QXSF_NETWORK = 18,
  QXSF_NETHOOD = 19,
  QXSF_FONTS = 20,
  QXSF_TEMPLATES = 21,
  QXSF_COMMON_STARTMENU = 22,
  QXSF_COMMON_PROGRAMS = 23,
  QXSF_COMMON_STARTUP = 24,
  QXSF_COMMON_DESKTOPDIRECTORY = 25,
  QXSF_AppData = 26,
  QXSF_PRINTHOOD = 27,
  QXSF_LOCAL_APPDATA = 28,
  QXSF_ALTSTARTUP = 29,
  QXSF_COMMON_ALTSTARTUP = 30,
  QXSF_COMMON_FAVOURITES = 31,
  QXSF_INTERNET_CACHE = 32,
  QXSF_COOKIES = 33,
  QXSF_HISTORY = 34,
  QXSF_COMMON_APPDATA = 35,
  QXSF_Windows = 36,
  QXSF_SYSTEM = 37,
  QXSF_PROGRAM_FILES = 38,
  QXSF_MYPICTURES = 39,
  QXSF_PROFILE = 40,
  QXSF_SYSTEMX86 = 41,
  QXSF_ProgramFilesX86 = 42,
  QXSF_ProgramFiles_Common = 43,
  QXSF_ProgramFiles_CommonX86 = 44,
  QXSF_COMMON_TEMPLATES = 45,
  QXSF_COMMON_DOCUMENTS = 46,
  QXSF_COMMON_ADMINTOOLS = 47,
  QXSF_ADMINTOOLS = 48,
  QXSF_WindowsFolder = 257,
  QXSF_SystemFolder = 258,
  QXSF_TemporaryFolder = 259,
  QXSF_QXHostInstallPath = 260,
  QXSF_QXAppData = 261,
  QXSF_QXAppDataTemp = 262,
  QXSF_QXAppDataConnections = 263,
  QXSF_QXCommonAppData = 264,
  QXSF_QXCommonAppDataTemp = 265,
  QXSF_QXCommonAppDataConnections = 266,
  QXSF_QXLocalAppData = 267,
  QXSF_QXLocalAppDataTemp = 268,
  QXSF_QXLocalAppDataConnections = 269,
};

// Where the settings component looks for a named file.
enum enuDefaultLocation : int32_t {
  enuDL_None = 0,
  enuDL_QXLocalApplicationData = 1,
  enuDL_UserData = 2,
};

namespace files {

// The folder the shell answers for a shell folder number, without a
// trailing separator; no value for a folder without a meaning here
// (printers, recycle bin, network neighbourhood, ...) or one the user's
// directories do not name.
std::optional<std::string> shellFolder(int32_t folder);

// The platform's Windows and system directories.
std::string windowsDirectory();  // /usr/share
std::string systemDirectory();   // /usr/lib

// A user directory (DESKTOP, DOCUMENTS, PICTURES, TEMPLATES, ...) named in
// the xdg-user-dirs file user-dirs.dirs of the configuration folder. The
// desktop defaults to ~/Desktop as xdg-user-dirs has it.
std::optional<std::string> userDirectory(const std::string& name);

}  // namespace files

}  // namespace qxvb
