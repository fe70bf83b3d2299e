// QX_File_Utils: the product's folders, temporary files and folders, path
// helpers, whole-folder operations, reserved files and the product log
// file. Each object owns two clean-up lists, emptied when it ends; the
// thread's shared instance hands its temporary items to the settings store
// instead, which deletes them when the library unloads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "files/file_dates.h"
#include "files/log_file.h"
#include "files/special_folders.h"
#include "frame/dispatch.h"

namespace qxvb {

class QX_File_Utils : public Dispatch {
 public:
  QX_File_Utils() = default;
  ~QX_File_Utils() override;
  const DispatchTable& dispatchTable() const override;

  // Folder locations.
  std::string QX_File_GetFolderLocation(int32_t v_hwnd, int32_t v_enuSpecialFolder,
                                        bool v_blnShortPath = false);
  bool QX_File_ConstructFolderPath(const std::string& v_strFolderName);
  std::string QX_File_ActiveX_RegisteredPath(
      const std::string& v_strObjectName = "qxhost.application", bool v_blnShortPath = false);

  // Temporary files and folders.
  std::string QX_File_GetTempFile(const std::string& v_strPath, const std::string& v_strPrefix,
                                  int32_t v_lngUnique, bool v_blnShortPath = false,
                                  bool v_blnAutoDelete = false);
  std::string QX_File_GetTempFile2(const std::string& v_strPath, const std::string& v_strPrefix,
                                   int32_t v_lngUnique, bool v_blnShortPath = false,
                                   bool v_blnAutoDelete = false,
                                   bool v_blnDelayAutoDeleteUntilModuleExit = true);
  std::string QX_File_GetTempFileExt(const std::string& v_strPath, const std::string& v_strPrefix,
                                     int32_t v_lngUnique, const std::string& v_strExtension,
                                     bool v_blnShortPath = false, bool v_blnAutoDelete = false);
  std::string QX_File_GetTempFileExt2(const std::string& v_strPath, const std::string& v_strPrefix,
                                      int32_t v_lngUnique, const std::string& v_strExtension,
                                      bool v_blnShortPath = false, bool v_blnAutoDelete = false,
                                      bool v_blnDelayAutoDeleteUntilModuleExit = true);
  std::string QX_File_CreateTempFolder(const std::string& v_strFolderName,
                                       const std::string& v_strPath = "",
                                       bool v_blnEnsureUnique = false,
                                       bool v_blnAutoDelete = false);
  std::string QX_File_CreateTempFolder2(const std::string& v_strFolderName,
                                        const std::string& v_strPath = "",
                                        bool v_blnEnsureUnique = false,
                                        bool v_blnAutoDelete = false,
                                        bool v_blnDelayAutoDeleteUntilModuleExit = true);

  // Existence and validity.
  bool QX_File_Exists(std::string& FileName);
  bool QX_File_FolderExists(std::string& folder);
  bool QX_File_ValidFileName(const std::string& v_strFile);
  bool QX_File_ValidFolderName(std::string& folder);

  // Path forms and pieces.
  std::string QX_File_GetLongPath(const std::string& ShortPath);
  std::string QX_File_GetShortPath(const std::string& LongPath);
  Variant QX_File_Path(const std::string& v_strFilePathName);
  Variant QX_File_Name(const std::string& v_strFilePathName);
  std::string QX_File_AddSlashIfNeeded(const std::string& v_strPath);
  std::string QX_File_GetExtension(const std::string& strPath);
  std::string QX_File_DateStamp(const std::string& v_strFile,
                                int32_t v_enuDateStampType = DS_Modified);

  // Whole folders.
  Variant QX_File_FolderCopy(const std::string& v_strSource, const std::string& v_strTarget,
                             bool v_blnOverwrite);
  Variant QX_File_FolderMove(const std::string& v_strSource, const std::string& v_strTarget);
  Variant QX_File_FolderDelete(const std::string& v_strFolder, bool v_blnForce);

  // Reserved files and the product log.
  bool QX_File_IsReservedFile(const std::string& v_strFileName);
  std::string QX_File_ReservedFilesAsXML();
  bool QX_File_WriteLog(const std::string& v_strFileName, const std::string& v_strMsg);
  std::string QX_File_GetQxLogFile();

  // Marks the thread's shared instance.
  void markShared() { shared_ = true; }
  bool isShared() const { return shared_; }

  // The clean-up lists, for inspection.
  const std::vector<std::string>& tempFiles() const { return tempFiles_; }
  const std::vector<std::string>& tempFolders() const { return tempFolders_; }

 private:
  void autoDeleteFile(const std::string& path, bool delayUntilModuleExit);
  void autoDeleteFolder(const std::string& path, bool delayUntilModuleExit);
  std::string pathForm(const std::string& path, bool shortForm);

  bool shared_ = false;
  std::vector<std::string> tempFiles_;
  std::vector<std::string> tempFolders_;

  bool logInitialised_ = false;
  bool loggingOn_ = false;
  std::string logFile_;
};

Object makeQX_File_Utils();

// The thread's shared QX_File_Utils that the library's own code uses.
std::shared_ptr<QX_File_Utils> sharedFileUtils();

}  // namespace qxvb
