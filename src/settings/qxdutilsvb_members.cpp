// The late-bound interface of QXDUtilsVB.
#include "frame/vb_conversions.h"
#include "settings/qxdutilsvb.h"

namespace qxvb {

namespace {

using Self = QXDUtilsVB;

// Members that pass their arguments to the component member of another
// name and return its answer converted to the member's type.
enum class Result { None, String, Boolean, Long };

Variant convert(const Variant& v, Result r) {
  switch (r) {
    case Result::None:
      return Variant();
    case Result::String:
      return Variant(CStr(v));
    case Result::Boolean:
      return Variant(CBool(v));
    case Result::Long:
      return Variant(CLng(v));
  }
  return Variant();
}

struct Forwarded {
  const char* name;
  const char* target;
  std::vector<const char*> params;
  Result result;
};

const std::vector<Forwarded>& forwardedMembers() {
  static const std::vector<Forwarded> list = {
      {"QXDUtilsVB_ReadApplicationFileLocationList",
       "ReadApplicationFileLocationList",
       {"v_strFileName", "v_blnPreviousLocations"},
       Result::String},
      {"QXDUtilsVB_SetEncyOpenStatus", "SetEncyOpenStatus", {"v_bIsEncyOpen"}, Result::None},
      {"QXDUtilsVB_SetUtilSetting",
       "SetQXDUtilsSettings",
       {"v_strSetting", "v_strValue"},
       Result::Boolean},
      {"QXDUtilsVB_GetUtilSetting", "GetQXDUtilsSetting", {"v_strSetting"}, Result::String},
      {"QXDUtilsVB_SetUtilSettingsCmdLine",
       "SetQXDUtilsSettingsFromCmdLine",
       {"v_strCommandLine"},
       Result::Boolean},
      {"QXDUtilsVB_CheckFolderExists",
       "CheckFolderExists",
       {"FolderPath", "ConstructIfNotFound"},
       Result::Boolean},
      {"QXDUtilsVB_EncyFileExists", "EncyFileExists", {"FileName"}, Result::Boolean},
      {"QXDUtilsVB_ExportEncyFile",
       "ExportEncyFile",
       {"EncyFileName", "ExternalFileName"},
       Result::Boolean},
      {"QXDUtilsVB_ImportEncyFile",
       "ImportEncyFile",
       {"ExternalFileName", "EncyFileName", "OverWrite"},
       Result::Boolean},
      {"QXDUtilsVB_ReadEncyFile", "ReadEncyFile", {"FileName"}, Result::String},
      {"QXDUtilsVB_WriteEncyFile", "WriteEncyFile", {"FileName", "FileData"}, Result::Boolean},
      {"QXDUtilsVB_WriteFileLocation",
       "WriteFileLocation",
       {"FileName", "FileLocation"},
       Result::Boolean},
      {"QXDUtilsVB_UpdateEncyFile", "UpdateEncyFile", {"FileName"}, Result::Long},
      {"QXDUtilsVB_UpdateEncyFiles", "UpdateEncyFiles", {}, Result::Long},
      {"QXDUtilsVB_CloseEncyFile", "CloseEncyFile", {"FileName"}, Result::Long},
      {"QXDUtilsVB_ReadSetting",
       "ReadSetting",
       {"FileName", "Section", "Item", "Default"},
       Result::String},
      {"QXDUtilsVB_ReadSettingSection",
       "ReadSettingSection",
       {"FileName", "Section"},
       Result::String},
      {"QXDUTILSVB_ReadOrvixProfilePath", "ReadOrvixProfilePath", {}, Result::String},
      {"QXDUTILSVB_CommandLine", "CommandLine", {}, Result::String},
  };
  return list;
}

void addForwardedMembers(Members<Self>& m) {
  for (const Forwarded& f : forwardedMembers()) {
    std::vector<ParamSpec> params;
    for (const char* p : f.params) params.push_back(in(p));
    const std::string target = f.target;
    const Result result = f.result;
    m.method(f.name, std::move(params), [target, result](Self& s, CallArgs& a) {
      std::vector<Variant> args;
      for (size_t i = 0; i < a.size(); ++i) args.push_back(a[i]);
      return convert(s.forward(target, args), result);
    });
  }
}

// Members whose component call takes its arguments in another order, or
// which pass outputs back.
void addReorderedMembers(Members<Self>& m) {
  m.method("QXDUtilsVB_ReadFileLocation",
           {in("FileName"), in("ShortPath"), ref("r_blnRetisEncyFile"), opt("enuDL", Variant(1))},
           [](Self& s, CallArgs& a) {
             bool isEncy = false;
             std::string location = s.QXDUtilsVB_ReadFileLocation(a[0], a[1], isEncy, a.lng(3));
             a.set(2, Variant(isEncy));
             return Variant(location);
           })
      .method<&Self::QXDUtilsVB_ReadSettingInt>(
          "QXDUtilsVB_ReadSettingInt", {in("Section"), in("Item"), in("Default"), in("FileName")})
      .method<&Self::QXDUtilsVB_WriteSetting>(
          "QXDUtilsVB_WriteSetting", {in("Section"), in("Item"), in("Value"), in("FileName")})
      .method<&Self::QXDUtilsVB_WriteSettingSection>("QXDUtilsVB_WriteSettingSection",
                                                     {in("Section"), in("Value"), in("FileName")})
      .method<&Self::QXDUTILSVB_QXVersionCheck>("QXDUTILSVB_QXVersionCheck",
                                                {ref("v_strVersion1"), ref("v_strVersion2")})
      .method<&Self::QXDUTILSVB_GetInternationalSeparators>(
          "QXDUTILSVB_GetInternationalSeparators", {ref("r_strDecimal"), ref("r_strList")});
}

void addBufferMembers(Members<Self>& m) {
  m.method<&Self::QXDUtilsVB_ReadSettingNTS>(
       "QXDUtilsVB_ReadSettingNTS",
       {in("Section"), in("Item"), in("Default"), ref("Value"), in("Size"), in("FileName")})
      .method<&Self::QXDUtilsVB_ReadSettingSectionNTS>(
          "QXDUtilsVB_ReadSettingSectionNTS",
          {in("Section"), ref("Value"), in("Size"), in("FileName")})
      .method<&Self::QXDUtilsVB_ReadSettingSectionNTS2>(
          "QXDUtilsVB_ReadSettingSectionNTS2",
          {in("Section"), ref("Value"), in("InitSize"), in("IncSize"), in("FileName")});
}

}  // namespace

const DispatchTable& QXDUtilsVB::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QXDUtilsVB");
    Members<Self> m(t);
    addForwardedMembers(m);
    addReorderedMembers(m);
    addBufferMembers(m);
    return t;
  }();
  return table;
}

}  // namespace qxvb
