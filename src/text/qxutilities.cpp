#include "text/qxutilities.h"

#include <memory>
#include <vector>

#include "frame/dispatch.h"
#include "frame/member_extensions.h"
#include "frame/vb_conversions.h"

namespace qxvb {

QXErrInfo QXUtilities::QXSaveErrInfo(int32_t v_lngNumber, const std::string& v_strSource,
                                     const std::string& v_strDescription,
                                     const std::string& v_strHelpFile,
                                     const Variant& v_varHelpContextID) {
  QXErrInfo info;
  info.Number = v_lngNumber;
  info.Source = v_strSource;
  info.Description = v_strDescription;
  info.HelpFile = v_strHelpFile;
  info.HelpContextID = v_varHelpContextID;
  return info;
}

QXErrInfo QXUtilities::QXSaveErrInfoFromErr(const Object& v_objErr) {
  // Read late-bound, in this order, so any error object will do and a
  // failure while reading reaches the caller.
  std::vector<Variant> none;
  QXErrInfo info;
  info.Number = CLng(invokeOn(v_objErr, "Number", kPropertyGet | kMethod, none));
  info.Source = CStr(invokeOn(v_objErr, "Source", kPropertyGet | kMethod, none));
  info.Description = CStr(invokeOn(v_objErr, "Description", kPropertyGet | kMethod, none));
  info.HelpFile = CStr(invokeOn(v_objErr, "HelpFile", kPropertyGet | kMethod, none));
  info.HelpContextID =
      Variant(CLng(invokeOn(v_objErr, "HelpContext", kPropertyGet | kMethod, none)));
  return info;
}

void addFrameMembers(Members<QXUtilities>& members) {
  members
      .method<&QXUtilities::QXSaveErrInfo>(
          "QXSaveErrInfo",
          {in("v_lngNumber"), in("v_strSource"), in("v_strDescription"),
           opt("v_strHelpFile", Variant("")), opt("v_varHelpContextID", Variant(""))})
      .method<&QXUtilities::QXSaveErrInfoFromErr>("QXSaveErrInfoFromErr", {in("v_objErr")});
}

const DispatchTable& QXUtilities::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QXUtilities");
    Members<QXUtilities> members(t);
    addFrameMembers(members);
    addSettingsMembers(members);
    addTextMembers(members);
    applyMemberExtensions("QXUtilities", t);
    return t;
  }();
  return table;
}

Object makeQXUtilities() {
  return std::make_shared<QXUtilities>();
}

}  // namespace qxvb
