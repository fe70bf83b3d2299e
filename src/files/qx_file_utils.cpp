#include "files/qx_file_utils.h"

#include <unistd.h>

#include "files/class_registration.h"
#include "files/file_checks.h"
#include "files/folder_locations.h"
#include "files/folder_operations.h"
#include "files/folder_tree.h"
#include "files/path_pieces.h"
#include "files/temp_names.h"
#include "frame/module_state.h"
#include "frame/string_table.h"
#include "settings/qxdutilsvb.h"
#include "text/product_setting.h"

namespace qxvb {

namespace {

constexpr int32_t kLogSectionText = 55111;
constexpr int32_t kLogItemText = 55028;
constexpr int32_t kLogFileText = 55033;
constexpr int32_t kLogSettingLength = 260;

}  // namespace

QX_File_Utils::~QX_File_Utils() {
  for (const std::string& file : tempFiles_) ::unlink(file.c_str());
  for (const std::string& folder : tempFolders_) {
    try {
      files::deleteTree(folder, true);
    } catch (...) {
      // Clean-up at the end of an object never raises.
    }
  }
}

void QX_File_Utils::autoDeleteFile(const std::string& path, bool delayUntilModuleExit) {
  if (shared_ || delayUntilModuleExit) {
    sharedQXDUtilsVB()->TempDataFileToDelete(path);
  } else {
    tempFiles_.push_back(path);
  }
}

void QX_File_Utils::autoDeleteFolder(const std::string& path, bool delayUntilModuleExit) {
  if (shared_ || delayUntilModuleExit) {
    sharedQXDUtilsVB()->TempDataFolderToDelete(path);
  } else {
    tempFolders_.push_back(path);
  }
}

std::string QX_File_Utils::pathForm(const std::string& path, bool shortForm) {
  return shortForm ? QX_File_GetShortPath(path) : QX_File_GetLongPath(path);
}

std::string QX_File_Utils::QX_File_GetFolderLocation(int32_t v_hwnd, int32_t v_enuSpecialFolder,
                                                     bool v_blnShortPath) {
  return files::folderLocation(v_hwnd, v_enuSpecialFolder, v_blnShortPath);
}

bool QX_File_Utils::QX_File_ConstructFolderPath(const std::string& v_strFolderName) {
  return files::constructFolder(v_strFolderName);
}

std::string QX_File_Utils::QX_File_ActiveX_RegisteredPath(const std::string& v_strObjectName,
                                                          bool v_blnShortPath) {
  return pathForm(files::registeredServerFolder(v_strObjectName), v_blnShortPath);
}

std::string QX_File_Utils::QX_File_GetTempFile(const std::string& v_strPath,
                                               const std::string& v_strPrefix, int32_t v_lngUnique,
                                               bool v_blnShortPath, bool v_blnAutoDelete) {
  return QX_File_GetTempFile2(v_strPath, v_strPrefix, v_lngUnique, v_blnShortPath, v_blnAutoDelete,
                              false);
}

std::string QX_File_Utils::QX_File_GetTempFile2(const std::string& v_strPath,
                                                const std::string& v_strPrefix, int32_t v_lngUnique,
                                                bool v_blnShortPath, bool v_blnAutoDelete,
                                                bool v_blnDelayAutoDeleteUntilModuleExit) {
  const std::string folder =
      v_strPath.empty() ? QX_File_GetFolderLocation(0, QXSF_TemporaryFolder) : v_strPath;
  std::string name = files::platformTempFile(folder, v_strPrefix, v_lngUnique);
  if (!name.empty()) name = pathForm(name, v_blnShortPath);
  if (v_blnAutoDelete && !name.empty()) autoDeleteFile(name, v_blnDelayAutoDeleteUntilModuleExit);
  return name;
}

std::string QX_File_Utils::QX_File_GetTempFileExt(const std::string& v_strPath,
                                                  const std::string& v_strPrefix,
                                                  int32_t v_lngUnique,
                                                  const std::string& v_strExtension,
                                                  bool v_blnShortPath, bool v_blnAutoDelete) {
  return QX_File_GetTempFileExt2(v_strPath, v_strPrefix, v_lngUnique, v_strExtension,
                                 v_blnShortPath, v_blnAutoDelete, false);
}

std::string QX_File_Utils::QX_File_GetTempFileExt2(const std::string& v_strPath,
                                                   const std::string& v_strPrefix,
                                                   int32_t v_lngUnique,
                                                   const std::string& v_strExtension,
                                                   bool v_blnShortPath, bool v_blnAutoDelete,
                                                   bool v_blnDelayAutoDeleteUntilModuleExit) {
  std::string name =
      v_lngUnique != 0 ? files::tempFileExtName(v_strPath, v_strPrefix,
                                                static_cast<uint32_t>(v_lngUnique), v_strExtension)
                       : files::createTempFileExt(v_strPath, v_strPrefix, v_strExtension);
  if (!name.empty()) name = pathForm(name, v_blnShortPath);
  if (v_blnAutoDelete && !name.empty()) autoDeleteFile(name, v_blnDelayAutoDeleteUntilModuleExit);
  return name;
}

std::string QX_File_Utils::QX_File_CreateTempFolder(const std::string& v_strFolderName,
                                                    const std::string& v_strPath,
                                                    bool v_blnEnsureUnique, bool v_blnAutoDelete) {
  return QX_File_CreateTempFolder2(v_strFolderName, v_strPath, v_blnEnsureUnique, v_blnAutoDelete,
                                   false);
}

std::string QX_File_Utils::QX_File_CreateTempFolder2(const std::string& v_strFolderName,
                                                     const std::string& v_strPath,
                                                     bool v_blnEnsureUnique, bool v_blnAutoDelete,
                                                     bool v_blnDelayAutoDeleteUntilModuleExit) {
  const std::string base = v_strPath.empty() ? QX_File_GetFolderLocation(0, QXSF_TemporaryFolder)
                                             : files::addSlashIfNeeded(v_strPath);
  std::string folder = files::createTempFolder(base, v_strFolderName, v_blnEnsureUnique);
  // A name such as "", "." or ".." answers the base folder or one above it:
  // such a folder is never handed over for deletion with all its contents.
  if (v_blnAutoDelete && !folder.empty() && files::strictlyBelow(folder, base)) {
    autoDeleteFolder(folder, v_blnDelayAutoDeleteUntilModuleExit);
  }
  return folder;
}

bool QX_File_Utils::QX_File_Exists(std::string& FileName) {
  return files::fileExists(FileName);
}

bool QX_File_Utils::QX_File_FolderExists(std::string& folder) {
  return files::folderExists(folder);
}

bool QX_File_Utils::QX_File_ValidFileName(const std::string& v_strFile) {
  try {
    std::string folder = files::folderOfFile(v_strFile);
    if (v_strFile.find('/') == std::string::npos) {
      folder = QX_File_GetFolderLocation(0, QXSF_TemporaryFolder);
    }
    return files::validFileName(v_strFile, folder);
  } catch (...) {
    return false;
  }
}

bool QX_File_Utils::QX_File_ValidFolderName(std::string& folder) {
  return files::validFolderName(folder);
}

std::string QX_File_Utils::QX_File_GetLongPath(const std::string& ShortPath) {
  return files::longPath(ShortPath);
}

std::string QX_File_Utils::QX_File_GetShortPath(const std::string& LongPath) {
  return files::shortPath(LongPath);
}

Variant QX_File_Utils::QX_File_Path(const std::string& v_strFilePathName) {
  return Variant(files::pathPart(v_strFilePathName));
}

Variant QX_File_Utils::QX_File_Name(const std::string& v_strFilePathName) {
  return Variant(files::namePart(v_strFilePathName));
}

std::string QX_File_Utils::QX_File_AddSlashIfNeeded(const std::string& v_strPath) {
  return files::addSlashIfNeeded(v_strPath);
}

std::string QX_File_Utils::QX_File_GetExtension(const std::string& strPath) {
  return files::extensionOf(strPath);
}

std::string QX_File_Utils::QX_File_DateStamp(const std::string& v_strFile,
                                             int32_t v_enuDateStampType) {
  return files::dateText(files::fileDate(v_strFile, v_enuDateStampType));
}

Variant QX_File_Utils::QX_File_FolderCopy(const std::string& v_strSource,
                                          const std::string& v_strTarget, bool v_blnOverwrite) {
  files::folderCopy(v_strSource, v_strTarget, v_blnOverwrite);
  return Variant();
}

Variant QX_File_Utils::QX_File_FolderMove(const std::string& v_strSource,
                                          const std::string& v_strTarget) {
  files::folderMove(v_strSource, v_strTarget);
  return Variant();
}

Variant QX_File_Utils::QX_File_FolderDelete(const std::string& v_strFolder, bool v_blnForce) {
  files::folderDelete(v_strFolder, v_blnForce);
  return Variant();
}

bool QX_File_Utils::QX_File_IsReservedFile(const std::string& v_strFileName) {
  return sharedQXDUtilsVB()->IsReservedFile(v_strFileName);
}

std::string QX_File_Utils::QX_File_ReservedFilesAsXML() {
  return sharedQXDUtilsVB()->ReservedFilesAsXML();
}

std::string QX_File_Utils::QX_File_GetQxLogFile() {
  try {
    if (!logInitialised_) {
      const std::optional<std::string> value = productSetting(
          localString(kLogItemText), localString(kLogSectionText), kLogSettingLength);
      const auto file = value ? files::logFileOf(*value, libraryFolder(), localString(kLogFileText))
                              : std::nullopt;
      loggingOn_ = file.has_value();
      logFile_ = file.value_or(std::string());
      logInitialised_ = true;
    }
    return loggingOn_ ? logFile_ : std::string();
  } catch (...) {
    return {};
  }
}

bool QX_File_Utils::QX_File_WriteLog(const std::string& v_strFileName,
                                     const std::string& v_strMsg) {
  try {
    const std::string file = v_strFileName.empty() ? QX_File_GetQxLogFile() : v_strFileName;
    return !file.empty() && files::appendLogLine(file, v_strMsg);
  } catch (...) {
    return false;
  }
}

Object makeQX_File_Utils() {
  return std::make_shared<QX_File_Utils>();
}

std::shared_ptr<QX_File_Utils> sharedFileUtils() {
  return std::static_pointer_cast<QX_File_Utils>(sharedObject("QX_File_Utils", [] {
    auto utils = std::make_shared<QX_File_Utils>();
    utils->markShared();
    return Object(utils);
  }));
}

}  // namespace qxvb
