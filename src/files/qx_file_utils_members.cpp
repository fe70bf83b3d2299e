// The late-bound interface of QX_File_Utils.
#include "files/qx_file_utils.h"
#include "frame/member_extensions.h"

namespace qxvb {

namespace {

using Self = QX_File_Utils;

void addLocationMembers(Members<Self>& m) {
  m.method<&Self::QX_File_GetFolderLocation>(
       "QX_File_GetFolderLocation",
       {in("v_hwnd"), in("v_enuSpecialFolder"), opt("v_blnShortPath", Variant(false))})
      .method<&Self::QX_File_ConstructFolderPath>("QX_File_ConstructFolderPath",
                                                  {in("v_strFolderName")})
      .method<&Self::QX_File_ActiveX_RegisteredPath>(
          "QX_File_ActiveX_RegisteredPath", {opt("v_strObjectName", Variant("qxhost.application")),
                                             opt("v_blnShortPath", Variant(false))});
}

std::vector<ParamSpec> tempFileParams(bool withExtension, bool withDelay) {
  std::vector<ParamSpec> params{in("v_strPath"), in("v_strPrefix"), in("v_lngUnique")};
  if (withExtension) params.push_back(in("v_strExtension"));
  params.push_back(opt("v_blnShortPath", Variant(false)));
  params.push_back(opt("v_blnAutoDelete", Variant(false)));
  if (withDelay) params.push_back(opt("v_blnDelayAutoDeleteUntilModuleExit", Variant(true)));
  return params;
}

std::vector<ParamSpec> tempFolderParams(bool withDelay) {
  std::vector<ParamSpec> params{in("v_strFolderName"), opt("v_strPath", Variant("")),
                                opt("v_blnEnsureUnique", Variant(false)),
                                opt("v_blnAutoDelete", Variant(false))};
  if (withDelay) params.push_back(opt("v_blnDelayAutoDeleteUntilModuleExit", Variant(true)));
  return params;
}

void addTempMembers(Members<Self>& m) {
  m.method<&Self::QX_File_GetTempFile>("QX_File_GetTempFile", tempFileParams(false, false))
      .method<&Self::QX_File_GetTempFile2>("QX_File_GetTempFile2", tempFileParams(false, true))
      .method<&Self::QX_File_GetTempFileExt>("QX_File_GetTempFileExt", tempFileParams(true, false))
      .method<&Self::QX_File_GetTempFileExt2>("QX_File_GetTempFileExt2", tempFileParams(true, true))
      .method<&Self::QX_File_CreateTempFolder>("QX_File_CreateTempFolder", tempFolderParams(false))
      .method<&Self::QX_File_CreateTempFolder2>("QX_File_CreateTempFolder2",
                                                tempFolderParams(true));
}

// The by-reference checks hand their argument back as it came.
void addCheckMembers(Members<Self>& m) {
  m.method<&Self::QX_File_Exists>("QX_File_Exists", {ref("FileName")})
      .method<&Self::QX_File_FolderExists>("QX_File_FolderExists", {ref("folder")})
      .method<&Self::QX_File_ValidFileName>("QX_File_ValidFileName", {in("v_strFile")})
      .method<&Self::QX_File_ValidFolderName>("QX_File_ValidFolderName", {ref("folder")});
}

void addPathMembers(Members<Self>& m) {
  m.method<&Self::QX_File_GetLongPath>("QX_File_GetLongPath", {in("ShortPath")})
      .method<&Self::QX_File_GetShortPath>("QX_File_GetShortPath", {in("LongPath")})
      .method<&Self::QX_File_Path>("QX_File_Path", {in("v_strFilePathName")})
      .method<&Self::QX_File_Name>("QX_File_Name", {in("v_strFilePathName")})
      .method<&Self::QX_File_AddSlashIfNeeded>("QX_File_AddSlashIfNeeded", {in("v_strPath")})
      .method<&Self::QX_File_GetExtension>("QX_File_GetExtension", {in("strPath")})
      .method<&Self::QX_File_DateStamp>(
          "QX_File_DateStamp",
          {in("v_strFile"), opt("v_enuDateStampType", Variant(int32_t{DS_Modified}))});
}

void addFolderAndLogMembers(Members<Self>& m) {
  m.method<&Self::QX_File_FolderCopy>("QX_File_FolderCopy",
                                      {in("v_strSource"), in("v_strTarget"), in("v_blnOverwrite")})
      .method<&Self::QX_File_FolderMove>("QX_File_FolderMove",
                                         {in("v_strSource"), in("v_strTarget")})
      .method<&Self::QX_File_FolderDelete>("QX_File_FolderDelete",
                                           {in("v_strFolder"), in("v_blnForce")})
      .method<&Self::QX_File_IsReservedFile>("QX_File_IsReservedFile", {in("v_strFileName")})
      .method<&Self::QX_File_ReservedFilesAsXML>("QX_File_ReservedFilesAsXML", {})
      .method<&Self::QX_File_WriteLog>("QX_File_WriteLog", {in("v_strFileName"), in("v_strMsg")})
      .method<&Self::QX_File_GetQxLogFile>("QX_File_GetQxLogFile", {});
}

}  // namespace

const DispatchTable& QX_File_Utils::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QX_File_Utils");
    Members<Self> m(t);
    addLocationMembers(m);
    addTempMembers(m);
    addCheckMembers(m);
    addPathMembers(m);
    addFolderAndLogMembers(m);
    applyMemberExtensions("QX_File_Utils", t);
    return t;
  }();
  return table;
}

}  // namespace qxvb
