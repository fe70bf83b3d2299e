#include "frame/err_object.h"

#include "frame/automation_error.h"

namespace qxvb {

ErrObject::ErrObject(const AutomationError& error)
    : Number(error.number()),
      Source(error.source()),
      Description(error.description()),
      HelpFile(error.helpFile()),
      HelpContext(error.helpContext()) {}

void ErrObject::Clear() {
  Number = 0;
  Source.clear();
  Description.clear();
  HelpFile.clear();
  HelpContext = 0;
}

void ErrObject::Raise() const {
  raiseError(Number, Source, Description, HelpFile, HelpContext);
}

const DispatchTable& ErrObject::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("ErrObject");
    Members<ErrObject>(t)
        .get("Number", {}, [](ErrObject& e, CallArgs&) { return Variant(e.Number); })
        .put("Number", {in("value")},
             [](ErrObject& e, CallArgs& a) {
               e.Number = a.lng(0);
               return Variant();
             })
        .get("Source", {}, [](ErrObject& e, CallArgs&) { return Variant(e.Source); })
        .put("Source", {in("value")},
             [](ErrObject& e, CallArgs& a) {
               e.Source = a.str(0);
               return Variant();
             })
        .get("Description", {}, [](ErrObject& e, CallArgs&) { return Variant(e.Description); })
        .put("Description", {in("value")},
             [](ErrObject& e, CallArgs& a) {
               e.Description = a.str(0);
               return Variant();
             })
        .get("HelpFile", {}, [](ErrObject& e, CallArgs&) { return Variant(e.HelpFile); })
        .put("HelpFile", {in("value")},
             [](ErrObject& e, CallArgs& a) {
               e.HelpFile = a.str(0);
               return Variant();
             })
        .get("HelpContext", {}, [](ErrObject& e, CallArgs&) { return Variant(e.HelpContext); })
        .put("HelpContext", {in("value")},
             [](ErrObject& e, CallArgs& a) {
               e.HelpContext = a.lng(0);
               return Variant();
             })
        .method<&ErrObject::Clear>("Clear", {})
        .method(
            "Raise",
            {in("Number"), opt("Source"), opt("Description"), opt("HelpFile"), opt("HelpContext")},
            [](ErrObject& e, CallArgs& a) -> Variant {
              e.Number = a.lng(0);
              if (!a.missing(1)) e.Source = a.str(1);
              if (!a.missing(2)) e.Description = a.str(2);
              if (!a.missing(3)) e.HelpFile = a.str(3);
              if (!a.missing(4)) e.HelpContext = a.lng(4);
              e.Raise();
            });
    return t;
  }();
  return table;
}

}  // namespace qxvb
