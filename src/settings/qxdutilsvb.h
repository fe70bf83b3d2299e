// QXDUtilsVB: the library's thin automation wrapper around the product's
// settings component ("QXDUTILS.Utils"). Every member forwards to the
// component; the two NTS readers call its exported functions instead.
#pragma once

#include <cstdint>
#include <string>

#include "frame/dispatch.h"

namespace qxvb {

class QXDUtilsVB : public Dispatch {
 public:
  // Creates the component; raises 429 when it cannot be created.
  QXDUtilsVB();
  const DispatchTable& dispatchTable() const override;

  std::string QXDUtilsVB_ReadApplicationFileLocationList(const Variant& v_strFileName,
                                                         const Variant& v_blnPreviousLocations);
  void QXDUtilsVB_SetEncyOpenStatus(const Variant& v_bIsEncyOpen);
  bool QXDUtilsVB_SetUtilSetting(const Variant& v_strSetting, const Variant& v_strValue);
  std::string QXDUtilsVB_GetUtilSetting(const Variant& v_strSetting);
  bool QXDUtilsVB_SetUtilSettingsCmdLine(const Variant& v_strCommandLine);
  bool QXDUtilsVB_CheckFolderExists(const Variant& FolderPath, const Variant& ConstructIfNotFound);
  bool QXDUtilsVB_EncyFileExists(const Variant& FileName);
  bool QXDUtilsVB_ExportEncyFile(const Variant& EncyFileName, const Variant& ExternalFileName);
  bool QXDUtilsVB_ImportEncyFile(const Variant& ExternalFileName, const Variant& EncyFileName,
                                 const Variant& OverWrite);
  std::string QXDUtilsVB_ReadEncyFile(const Variant& FileName);
  bool QXDUtilsVB_WriteEncyFile(const Variant& FileName, const Variant& FileData);
  std::string QXDUtilsVB_ReadFileLocation(const Variant& FileName, const Variant& ShortPath,
                                          bool& r_blnRetisEncyFile, int32_t enuDL = 1);
  bool QXDUtilsVB_WriteFileLocation(const Variant& FileName, const Variant& FileLocation);
  int32_t QXDUtilsVB_UpdateEncyFile(const Variant& FileName);
  int32_t QXDUtilsVB_UpdateEncyFiles();
  int32_t QXDUtilsVB_CloseEncyFile(const Variant& FileName);
  std::string QXDUtilsVB_ReadSetting(const Variant& FileName, const Variant& Section,
                                     const Variant& Item, const Variant& Default);
  int32_t QXDUtilsVB_ReadSettingInt(const Variant& Section, const Variant& Item,
                                    const Variant& Default, const Variant& FileName);
  std::string QXDUtilsVB_ReadSettingSection(const Variant& FileName, const Variant& Section);
  bool QXDUtilsVB_WriteSetting(const Variant& Section, const Variant& Item, const Variant& Value,
                               const Variant& FileName);
  bool QXDUtilsVB_WriteSettingSection(const Variant& Section, const Variant& Value,
                                      const Variant& FileName);
  std::string QXDUTILSVB_ReadOrvixProfilePath();
  std::string QXDUTILSVB_CommandLine();
  int32_t QXDUTILSVB_QXVersionCheck(std::string& v_strVersion1, std::string& v_strVersion2);
  std::string QXDUTILSVB_GetInternationalSeparators(std::string& r_strDecimal,
                                                    std::string& r_strList);

  int32_t QXDUtilsVB_ReadSettingNTS(const std::string& Section, const std::string& Item,
                                    const std::string& Default, std::string& Value, int32_t Size,
                                    const std::string& FileName);
  int32_t QXDUtilsVB_ReadSettingSectionNTS(const std::string& Section, std::string& Value,
                                           int32_t Size, const std::string& FileName);
  int32_t QXDUtilsVB_ReadSettingSectionNTS2(const std::string& Section, std::string& Value,
                                            int32_t InitSize, int32_t IncSize,
                                            const std::string& FileName);

  // Used inside the library by the file utilities.
  void TempDataFolderToDelete(const std::string& path);
  void TempDataFileToDelete(const std::string& path);
  bool IsReservedFile(const std::string& name);
  std::string ReservedFilesAsXML();

  // Calls a member of the settings component by name, arguments by
  // reference as the component receives them.
  Variant forward(std::string_view member, std::vector<Variant>& args);

 private:
  Object utils_;
};

Object makeQXDUtilsVB();

// The thread's shared QXDUtilsVB, which QXGetSetting and QXSetSetting use.
std::shared_ptr<QXDUtilsVB> sharedQXDUtilsVB();

}  // namespace qxvb
