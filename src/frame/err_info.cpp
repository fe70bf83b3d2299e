#include "frame/err_info.h"

#include "frame/automation_error.h"
#include "frame/vb_conversions.h"

namespace qxvb {

Record QXErrInfo::toRecord() const {
  Record r;
  r.typeName = kQXErrInfoTypeName;
  r.fields = {{"Number", Variant(Number)},
              {"Source", Variant(Source)},
              {"Description", Variant(Description)},
              {"HelpFile", Variant(HelpFile)},
              {"HelpContextID", HelpContextID}};
  return r;
}

QXErrInfo QXErrInfo::fromRecord(const Record& record) {
  if (record.typeName != kQXErrInfoTypeName) raiseVbError(vberr::TypeMismatch);
  QXErrInfo info;
  const auto field = [&](const char* name) {
    const Variant* v = record.field(name);
    return v != nullptr ? *v : Variant();
  };
  info.Number = CLng(field("Number"));
  info.Source = CStr(field("Source"));
  info.Description = CStr(field("Description"));
  info.HelpFile = CStr(field("HelpFile"));
  info.HelpContextID = field("HelpContextID");
  return info;
}

QXErrInfo QXErrInfo::fromError(const AutomationError& error) {
  QXErrInfo info;
  info.Number = error.number();
  info.Source = error.source();
  info.Description = error.description();
  info.HelpFile = error.helpFile();
  info.HelpContextID = Variant(error.helpContext());
  return info;
}

}  // namespace qxvb
