// The late-bound interface of QX_File_Utils.
#include "files/qx_file_utils.h"
#include "frame/member_extensions.h"

namespace qxvb {

namespace {

using Self = QX_File_Utils;

void addLocationMembers(Members<Self>& m) {
  m.method("QX_File_GetFolderLocation",
           {in("v_hwnd"), in("v_enuSpecialFolder"), opt("v_blnShortPath", Variant(false))},
           [](Self& s, CallArgs& a) {
             return Variant(s.QX_File_GetFolderLocation(a.lng(0), a.lng(1), a.boolean(2)));
           })
      .method("QX_File_ConstructFolderPath", {in("v_strFolderName")},
              [](Self& s, CallArgs& a) { return Variant(s.QX_File_ConstructFolderPath(a.str(0))); })
      .method("QX_File_ActiveX_RegisteredPath",
              {opt("v_strObjectName", Variant("qxhost.application")),
               opt("v_blnShortPath", Variant(false))},
              [](Self& s, CallArgs& a) {
                return Variant(s.QX_File_ActiveX_RegisteredPath(a.str(0), a.boolean(1)));
              });
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
  m.method("QX_File_GetTempFile", tempFileParams(false, false),
           [](Self& s, CallArgs& a) {
             return Variant(
                 s.QX_File_GetTempFile(a.str(0), a.str(1), a.lng(2), a.boolean(3), a.boolean(4)));
           })
      .method("QX_File_GetTempFile2", tempFileParams(false, true),
              [](Self& s, CallArgs& a) {
                return Variant(s.QX_File_GetTempFile2(a.str(0), a.str(1), a.lng(2), a.boolean(3),
                                                      a.boolean(4), a.boolean(5)));
              })
      .method("QX_File_GetTempFileExt", tempFileParams(true, false),
              [](Self& s, CallArgs& a) {
                return Variant(s.QX_File_GetTempFileExt(a.str(0), a.str(1), a.lng(2), a.str(3),
                                                        a.boolean(4), a.boolean(5)));
              })
      .method("QX_File_GetTempFileExt2", tempFileParams(true, true),
              [](Self& s, CallArgs& a) {
                return Variant(s.QX_File_GetTempFileExt2(a.str(0), a.str(1), a.lng(2), a.str(3),
                                                         a.boolean(4), a.boolean(5), a.boolean(6)));
              })
      .method("QX_File_CreateTempFolder", tempFolderParams(false),
              [](Self& s, CallArgs& a) {
                return Variant(
                    s.QX_File_CreateTempFolder(a.str(0), a.str(1), a.boolean(2), a.boolean(3)));
              })
      .method("QX_File_CreateTempFolder2", tempFolderParams(true), [](Self& s, CallArgs& a) {
        return Variant(s.QX_File_CreateTempFolder2(a.str(0), a.str(1), a.boolean(2), a.boolean(3),
                                                   a.boolean(4)));
      });
}

// The by-reference checks hand their argument back as it came.
void addCheckMembers(Members<Self>& m) {
  m.method("QX_File_Exists", {ref("FileName")},
           [](Self& s, CallArgs& a) {
             std::string name = a.str(0);
             const bool exists = s.QX_File_Exists(name);
             a.set(0, Variant(name));
             return Variant(exists);
           })
      .method("QX_File_FolderExists", {ref("folder")},
              [](Self& s, CallArgs& a) {
                std::string folder = a.str(0);
                const bool exists = s.QX_File_FolderExists(folder);
                a.set(0, Variant(folder));
                return Variant(exists);
              })
      .method("QX_File_ValidFileName", {in("v_strFile")},
              [](Self& s, CallArgs& a) { return Variant(s.QX_File_ValidFileName(a.str(0))); })
      .method("QX_File_ValidFolderName", {ref("folder")}, [](Self& s, CallArgs& a) {
        std::string folder = a.str(0);
        const bool valid = s.QX_File_ValidFolderName(folder);
        a.set(0, Variant(folder));
        return Variant(valid);
      });
}

void addPathMembers(Members<Self>& m) {
  m.method("QX_File_GetLongPath", {in("ShortPath")},
           [](Self& s, CallArgs& a) { return Variant(s.QX_File_GetLongPath(a.str(0))); })
      .method("QX_File_GetShortPath", {in("LongPath")},
              [](Self& s, CallArgs& a) { return Variant(s.QX_File_GetShortPath(a.str(0))); })
      .method("QX_File_Path", {in("v_strFilePathName")},
              [](Self& s, CallArgs& a) { return s.QX_File_Path(a.str(0)); })
      .method("QX_File_Name", {in("v_strFilePathName")},
              [](Self& s, CallArgs& a) { return s.QX_File_Name(a.str(0)); })
      .method("QX_File_AddSlashIfNeeded", {in("v_strPath")},
              [](Self& s, CallArgs& a) { return Variant(s.QX_File_AddSlashIfNeeded(a.str(0))); })
      .method("QX_File_GetExtension", {in("strPath")},
              [](Self& s, CallArgs& a) { return Variant(s.QX_File_GetExtension(a.str(0))); })
      .method(
          "QX_File_DateStamp",
          {in("v_strFile"), opt("v_enuDateStampType", Variant(int32_t{DS_Modified}))},
          [](Self& s, CallArgs& a) { return Variant(s.QX_File_DateStamp(a.str(0), a.lng(1))); });
}

void addFolderAndLogMembers(Members<Self>& m) {
  m.method(
       "QX_File_FolderCopy", {in("v_strSource"), in("v_strTarget"), in("v_blnOverwrite")},
       [](Self& s, CallArgs& a) { return s.QX_File_FolderCopy(a.str(0), a.str(1), a.boolean(2)); })
      .method("QX_File_FolderMove", {in("v_strSource"), in("v_strTarget")},
              [](Self& s, CallArgs& a) { return s.QX_File_FolderMove(a.str(0), a.str(1)); })
      .method("QX_File_FolderDelete", {in("v_strFolder"), in("v_blnForce")},
              [](Self& s, CallArgs& a) { return s.QX_File_FolderDelete(a.str(0), a.boolean(1)); })
      .method("QX_File_IsReservedFile", {in("v_strFileName")},
              [](Self& s, CallArgs& a) { return Variant(s.QX_File_IsReservedFile(a.str(0))); })
      .method("QX_File_ReservedFilesAsXML", {},
              [](Self& s, CallArgs&) { return Variant(s.QX_File_ReservedFilesAsXML()); })
      .method("QX_File_WriteLog", {in("v_strFileName"), in("v_strMsg")},
              [](Self& s, CallArgs& a) { return Variant(s.QX_File_WriteLog(a.str(0), a.str(1))); })
      .method("QX_File_GetQxLogFile", {},
              [](Self& s, CallArgs&) { return Variant(s.QX_File_GetQxLogFile()); });
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
