#include "ado/recordset.h"

#include "ado/ado_constants.h"
#include "ado/ado_errors.h"
#include "ado/command.h"
#include "ado/connection.h"
#include "ado/find_criteria.h"
#include "frame/vb_conversions.h"

namespace qxvb::ado {

namespace {

constexpr std::string_view kSource = "ADODB.Recordset";
constexpr int32_t adAffectCurrent = 1;

// A single value or the items of an array, as AddNew and Update take them.
std::vector<Variant> itemsOf(const Variant& v) {
  if (const auto* array = v.get<VariantArray>()) return array->items;
  if (const auto* strings = v.get<StringArray>()) {
    return std::vector<Variant>(strings->items.begin(), strings->items.end());
  }
  return {v};
}

}  // namespace

Recordset::Recordset()
    : rowset_(std::make_shared<Rowset>()), fields_(std::make_shared<Fields>(rowset_)) {}

void Recordset::requireClosed() const {
  if (rowset_->isOpen()) raise(err::kObjectOpen, kSource);
}

void Recordset::setCursorLocation(int32_t location) {
  requireClosed();
  if (location != adUseServer && location != adUseClient) raise(err::kBadArguments, kSource);
  cursorLocation_ = location;
  locationSet_ = true;
}

void Recordset::setCursorType(int32_t type) {
  requireClosed();
  if (type < adOpenForwardOnly || type > adOpenStatic) raise(err::kBadArguments, kSource);
  cursorType_ = type;
}

void Recordset::setLockType(int32_t type) {
  requireClosed();
  if (type < adLockReadOnly || type > adLockBatchOptimistic) raise(err::kBadArguments, kSource);
  lockType_ = type;
}

void Recordset::setSource(const std::string& source) {
  requireClosed();
  source_ = source;
}

void Recordset::setActiveConnection(const Variant& connection) {
  requireClosed();
  if (connection.isNull() || connection.isEmpty() || connection.isMissing()) {
    connection_.reset();
    return;
  }
  if (const auto* object = connection.get<Object>()) {
    auto c = std::dynamic_pointer_cast<Connection>(*object);
    if (*object && !c) raise(err::kBadArguments, kSource);
    connection_ = std::move(c);
    return;
  }
  auto c = std::make_shared<Connection>();
  c->Open(CStr(connection));
  connection_ = std::move(c);
}

void Recordset::openWith(std::shared_ptr<Connection> connection, Rowset::Runner run,
                         const std::string& sql, int32_t cursorType, int32_t lockType) {
  requireClosed();
  auto engine = connection->engine();
  const int32_t location = locationSet_ ? cursorLocation_ : connection->CursorLocation();
  connection_ = std::move(connection);
  cursorLocation_ = location;
  // A client-side cursor is always static, as ADO's cursor service makes it.
  cursorType_ = location == adUseClient ? adOpenStatic : cursorType;
  lockType_ = lockType;
  source_ = sql;
  const RowsetOptions options{cursorType_, lockType_, cursorLocation_};
  if (rowset_->open(engine, connection_->errorLog(), std::move(run), sql, options)) {
    connection_->track(rowset_);
    rowset_->keepWhileOpen(connection_);
  }
}

void Recordset::Open(const Variant& source, const Variant& activeConnection, int32_t cursorType,
                     int32_t lockType, int32_t options) {
  requireClosed();
  if (!activeConnection.isMissing()) setActiveConnection(activeConnection);
  if (!connection_ || connection_->State() != adStateOpen) {
    raise(err::kConnectionUnusable, kSource);
  }
  const int32_t type = cursorType == adOpenUnspecified ? cursorType_ : cursorType;
  const int32_t lock = lockType == adLockUnspecified ? lockType_ : lockType;
  if (const auto* object = source.get<Object>()) {
    auto command = std::dynamic_pointer_cast<Command>(*object);
    if (!command) raise(err::kBadArguments, kSource);
    openWith(connection_, command->runner(nullptr, options), command->statement(options), type,
             lock);
    return;
  }
  const std::string text = source.isMissing() ? source_ : CStr(source);
  if (text.empty()) raise(err::kNoCommandText, kSource);
  auto engine = connection_->engine();
  std::string sql;
  try {
    sql = statementFor(*engine, text, commandTypeOf(options), {});
  } catch (const EngineFailure& failure) {
    raiseLogged(failure, err::kCommandFailed, connection_->errorLog().get());
  }
  Rowset::Runner run = [engine, sql] {
    std::vector<ParamValue> none;
    return engine->execute(sql, none);
  };
  openWith(connection_, std::move(run), sql, type, lock);
}

void Recordset::Close() {
  if (!rowset_->isOpen()) raise(err::kObjectClosed, kSource);
  rowset_->close();
}

int32_t Recordset::EditMode() const {
  if (!rowset_->isOpen()) raise(err::kObjectClosed, kSource);
  return rowset_->editMode();
}

Variant Recordset::Collect(const Variant& index) const {
  return rowset_->value(rowset_->columnIndex(index));
}

void Recordset::setCollect(const Variant& index, const Variant& value) {
  rowset_->setValue(rowset_->columnIndex(index), value);
}

void Recordset::Find(const std::string& criteria, int32_t skipRecords, int32_t searchDirection,
                     const Variant& start) {
  if (!rowset_->isOpen()) raise(err::kObjectClosed, kSource);
  rowset_->find(parseFindCriterion(criteria), skipRecords, searchDirection, start);
}

void Recordset::setFields(const Variant& names, const Variant& values) {
  const std::vector<Variant> n = itemsOf(names);
  const std::vector<Variant> v = itemsOf(values);
  if (n.size() != v.size()) raise(err::kBadArguments, kSource);
  for (size_t i = 0; i < n.size(); ++i) rowset_->setValue(rowset_->columnIndex(n[i]), v[i]);
}

void Recordset::AddNew(const Variant& fieldList, const Variant& values) {
  rowset_->addNew();
  if (fieldList.isMissing()) return;
  setFields(fieldList, values);
  rowset_->update();
}

void Recordset::Update(const Variant& fields, const Variant& values) {
  if (!fields.isMissing()) setFields(fields, values);
  rowset_->update();
}

void Recordset::CancelUpdate() {
  rowset_->cancelUpdate();
}

void Recordset::Delete(int32_t affectRecords) {
  if (affectRecords != adAffectCurrent) raise(err::kBadArguments, kSource);
  rowset_->deleteCurrent();
}

void Recordset::Requery() {
  rowset_->requery();
}

const DispatchTable& Recordset::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Recordset");
    const auto none = [](auto&& fn) {
      return [fn](Recordset& r, CallArgs&) {
        fn(r);
        return Variant();
      };
    };
    const auto fieldItem = [](Recordset& r, CallArgs& a) {
      if (a.missing(0)) return Variant(Object(r.FieldsObject()));
      return Variant(Object(r.FieldsObject()->Item(a[0])));
    };
    Members<Recordset>(t)
        .method<&Recordset::Open>(
            "Open",
            {opt("Source"), opt("ActiveConnection"), opt("CursorType", Variant(int32_t{-1})),
             opt("LockType", Variant(int32_t{-1})), opt("Options", Variant(int32_t{-1}))})
        .method("Close", {}, none([](Recordset& r) { r.Close(); }))
        .get<&Recordset::State>("State", {})
        .get<&Recordset::Eof>("EOF", {})
        .get<&Recordset::Bof>("BOF", {})
        .method("MoveFirst", {}, none([](Recordset& r) { r.MoveFirst(); }))
        .method("MoveNext", {}, none([](Recordset& r) { r.MoveNext(); }))
        .method("MovePrevious", {}, none([](Recordset& r) { r.MovePrevious(); }))
        .method("MoveLast", {}, none([](Recordset& r) { r.MoveLast(); }))
        .get<&Recordset::RecordCount>("RecordCount", {})
        .get<&Recordset::AbsolutePosition>("AbsolutePosition", {})
        .get<&Recordset::EditMode>("EditMode", {})
        .get<&Recordset::FieldsObject>("Fields", {})
        .get("_Default", {opt("Index")}, fieldItem)
        .put<&Recordset::setCollect>("_Default", {in("Index"), in("Value")})
        .get<&Recordset::Collect>("Collect", {in("Index")})
        .put<&Recordset::setCollect>("Collect", {in("Index"), in("Value")})
        .method<&Recordset::Find>("Find",
                                  {in("Criteria"), opt("SkipRecords", Variant(int32_t{0})),
                                   opt("SearchDirection", Variant(int32_t{1})), opt("Start")})
        .method<&Recordset::AddNew>("AddNew", {opt("FieldList"), opt("Values")})
        .method<&Recordset::Update>("Update", {opt("Fields"), opt("Values")})
        .method("CancelUpdate", {}, none([](Recordset& r) { r.CancelUpdate(); }))
        .method<&Recordset::Delete>("Delete", {opt("AffectRecords", Variant(int32_t{1}))})
        .method("Requery", {opt("Options")}, none([](Recordset& r) { r.Requery(); }))
        .get<&Recordset::CursorLocation>("CursorLocation", {})
        .put<&Recordset::setCursorLocation>("CursorLocation", {in("Value")})
        .get<&Recordset::CursorType>("CursorType", {})
        .put<&Recordset::setCursorType>("CursorType", {in("Value")})
        .get<&Recordset::LockType>("LockType", {})
        .put<&Recordset::setLockType>("LockType", {in("Value")})
        .get<&Recordset::Source>("Source", {})
        .put<&Recordset::setSource>("Source", {in("Value")})
        .get<&Recordset::ActiveConnection>("ActiveConnection", {})
        .put<&Recordset::setActiveConnection>("ActiveConnection", {in("Value")})
        .putRef<&Recordset::setActiveConnection>("ActiveConnection", {in("Value")});
    return t;
  }();
  return table;
}

}  // namespace qxvb::ado
