#include "ado/error_objects.h"

#include "frame/vb_conversions.h"

namespace qxvb::ado {

void raiseLogged(const EngineFailure& failure, int32_t number, ErrorLog* log) {
  if (log != nullptr) {
    log->entries.assign(1, ErrorEntry{number, failure.description(), failure.source(),
                                      failure.sqlState(), failure.nativeError()});
  }
  raiseEngineFailure(failure, number);
}

const DispatchTable& Error::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Error");
    Members<Error>(t)
        .get("Number", {}, [](Error& e, CallArgs&) { return Variant(e.entry().number); })
        .get("Description", {}, [](Error& e, CallArgs&) { return Variant(e.entry().description); })
        .get("Source", {}, [](Error& e, CallArgs&) { return Variant(e.entry().source); })
        .get("SQLState", {}, [](Error& e, CallArgs&) { return Variant(e.entry().sqlState); })
        .get("NativeError", {}, [](Error& e, CallArgs&) { return Variant(e.entry().nativeError); })
        .get("HelpFile", {}, [](Error&, CallArgs&) { return Variant(""); })
        .get("HelpContext", {}, [](Error&, CallArgs&) { return Variant(int32_t{0}); });
    return t;
  }();
  return table;
}

std::shared_ptr<Error> Errors::Item(const Variant& index) const {
  const int32_t i = index.isNumeric() ? CLng(index) : -1;
  if (i < 0 || i >= Count()) raise(err::kItemNotFound, "ADODB.Errors");
  return std::make_shared<Error>(log_->entries[static_cast<size_t>(i)]);
}

const DispatchTable& Errors::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Errors");
    Members<Errors>(t)
        .get<&Errors::Count>("Count", {})
        .get<&Errors::Item>("Item", {in("Index")})
        .get<&Errors::Item>("_Default", {in("Index")})
        .method<&Errors::Clear>("Clear", {})
        .method("Refresh", {}, [](Errors&, CallArgs&) { return Variant(); });
    return t;
  }();
  return table;
}

}  // namespace qxvb::ado
