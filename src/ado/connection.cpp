#include "ado/connection.h"

#include <algorithm>

#include "ado/ado_constants.h"
#include "ado/ado_errors.h"
#include "ado/connection_string.h"
#include "ado/recordset.h"
#include "ado/serialized_engine.h"
#include "ado/sqlite_engine.h"
#include "frame/automation_error.h"
#include "frame/vb_conversions.h"

namespace qxvb::ado {

namespace {

constexpr std::string_view kSource = "ADODB.Connection";

// The options bits that are not a command type.
constexpr int32_t kExecuteFlags = adAsyncExecute | adAsyncFetch | adExecuteNoRecords;

void definePropertiesOf(PropertyStore& store) {
  // "OLE DB Services": bit 1 turns session pooling on (the embedded
  // engine pools, sqlite_sessions.h); the other services have no effect.
  store.define("OLE DB Services", Variant(int32_t{-1}), adInteger);
  store.define("Data Source", Variant(""), adBSTR);
  store.define("Initial Catalog", Variant(""), adBSTR);
  store.define("User ID", Variant(""), adBSTR);
  store.define("Password", Variant(""), adBSTR);
  store.define("Persist Security Info", Variant(false), adBoolean);
  store.define("Extended Properties", Variant(""), adBSTR);
  store.define("Connect Timeout", Variant(int32_t{15}), adInteger);
  store.define("Prompt", Variant(int16_t{4}), adSmallInt);
  store.define("Provider Name", Variant(""), adBSTR);
}

// DBPROPVAL_OS_RESOURCEPOOLING of the "OLE DB Services" value: the
// connection string's item when it has one, else the property.
bool sessionPooling(const PropertyStore& properties, const ConnectionItems& items) {
  constexpr int32_t kResourcePooling = 1;
  const PropertyEntry* services = properties.find("OLE DB Services");
  try {
    if (items.has("OLE DB Services")) {
      return (CLng(Variant(items.get("OLE DB Services"))) & kResourcePooling) != 0;
    }
    return services == nullptr || (CLng(services->value) & kResourcePooling) != 0;
  } catch (const AutomationError&) {
    return false;
  }
}

using RowsetList = std::vector<std::weak_ptr<Rowset>>;

// An engine that runs one statement at a time would refuse a statement
// while a forward-only recordset still has rows in it, so those rows are
// read into memory first.
std::shared_ptr<EngineConnection> guardOneStatement(std::shared_ptr<EngineConnection> engine,
                                                    const std::shared_ptr<RowsetList>& rowsets) {
  if (!engine->oneStatementAtATime()) return engine;
  return withStatementHook(std::move(engine), [weak = std::weak_ptr(rowsets)] {
    const auto list = weak.lock();
    if (!list) return;
    for (const auto& w : *list) {
      if (auto rowset = w.lock()) rowset->holdRemainingRows();
    }
  });
}

}  // namespace

int32_t commandTypeOf(int32_t options) {
  if (options == adOptionUnspecified) return adCmdText;
  const int32_t type = options & ~kExecuteFlags;
  return type == 0 || type == adCmdUnknown ? adCmdText : type;
}

std::string statementFor(EngineConnection& engine, const std::string& text, int32_t commandType,
                         const std::vector<ParamValue>& params) {
  switch (commandType) {
    case adCmdTable:
    case adCmdTableDirect:
      return "SELECT * FROM " + text;
    case adCmdStoredProc:
      return engine.procedureCall(text, params);
    default:
      return text;
  }
}

Connection::Connection()
    : errors_(std::make_shared<ErrorLog>()),
      properties_(std::make_shared<PropertyStore>()),
      rowsets_(std::make_shared<RowsetList>()) {
  definePropertiesOf(*properties_);
}

Connection::~Connection() {
  for (const auto& weak : *rowsets_) {
    if (auto rowset = weak.lock()) rowset->close();
  }
}

std::string Connection::ConnectionString() const {
  if (!provider_.empty() && !ConnectionItems::parse(connectionString_).has("Provider")) {
    return "Provider=" + provider_ + ";" + connectionString_;
  }
  return connectionString_;
}

void Connection::setConnectionString(const std::string& text) {
  if (engine_) raise(err::kObjectOpen, kSource);
  connectionString_ = text;
}

std::string Connection::Provider() const {
  if (engine_) return openProvider_;
  if (!provider_.empty()) return provider_;
  const std::string named = ConnectionItems::parse(connectionString_).get("Provider");
  return named.empty() ? std::string("MSDASQL") : named;
}

void Connection::setProvider(const std::string& provider) {
  if (engine_) raise(err::kObjectOpen, kSource);
  provider_ = provider;
}

void Connection::setCursorLocation(int32_t location) {
  if (location != adUseServer && location != adUseClient) raise(err::kBadArguments, kSource);
  cursorLocation_ = location;
}

void Connection::setCommandTimeout(int32_t seconds) {
  if (seconds < 0) raise(err::kBadArguments, kSource);
  commandTimeout_ = seconds;
  if (engine_) engine_->setCommandTimeout(seconds);
}

void Connection::setConnectionTimeout(int32_t seconds) {
  if (engine_) raise(err::kObjectOpen, kSource);
  if (seconds < 0) raise(err::kBadArguments, kSource);
  connectionTimeout_ = seconds;
}

void Connection::Open(const std::string& connectionString, const std::string& userId,
                      const std::string& password, int32_t options) {
  (void)options;  // opening is always synchronous
  if (engine_) raise(err::kObjectOpen, kSource);
  if (!connectionString.empty()) connectionString_ = connectionString;
  errors_->entries.clear();
  OpenRequest request;
  request.target = resolveEngine(ConnectionString(), userId, password);
  request.connectionTimeout = connectionTimeout_;
  request.commandTimeout = commandTimeout_;
  const ConnectionItems& items = request.target.items;
  request.pooling = sessionPooling(*properties_, items);
  if (items.has("Connect Timeout")) {
    request.connectionTimeout = CLng(Variant(items.get("Connect Timeout")));
  }
  try {
    engine_ = guardOneStatement(openEngine(request), rowsets_);
  } catch (const EngineFailure& failure) {
    raiseLogged(failure, err::kUnspecified, errors_.get());
  }
  openProvider_ = request.target.provider;
  if (openProvider_.empty()) {
    openProvider_ = request.target.kind == EngineKind::Sqlite ? kSqliteProviderName : "MSDASQL.1";
  }
  for (const char* key : {"Data Source", "Initial Catalog", "User ID", "Extended Properties"}) {
    if (items.has(key)) properties_->define(key, Variant(items.get(key)), adBSTR);
  }
  properties_->define("Provider Name", Variant(engine_->sourceName()), adBSTR);
}

std::shared_ptr<EngineConnection> Connection::engine() const {
  if (!engine_) raise(err::kConnectionUnusable, kSource);
  return engine_;
}

void Connection::track(const std::shared_ptr<Rowset>& rowset) {
  std::erase_if(*rowsets_, [](const std::weak_ptr<Rowset>& w) { return w.expired(); });
  rowsets_->push_back(rowset);
}

std::shared_ptr<Recordset> Connection::Execute(const std::string& commandText,
                                               int64_t* recordsAffected, int32_t options) {
  if (!engine_) raise(err::kObjectClosed, kSource);
  auto engine = engine_;
  const std::string sql = statementFor(*engine, commandText, commandTypeOf(options), {});
  auto affected = std::make_shared<int64_t>(-1);
  Rowset::Runner run = [engine, sql, affected] {
    std::vector<ParamValue> none;
    StatementResult result = engine->execute(sql, none);
    *affected = result.recordsAffected;
    return result;
  };
  if (options != adOptionUnspecified && (options & adExecuteNoRecords) != 0) {
    try {
      run();
    } catch (const EngineFailure& failure) {
      raiseLogged(failure, err::kCommandFailed, errors_.get());
    }
    if (recordsAffected != nullptr) *recordsAffected = *affected;
    return nullptr;
  }
  auto recordset = std::make_shared<Recordset>();
  recordset->openWith(std::static_pointer_cast<Connection>(shared_from_this()), std::move(run), sql,
                      adOpenForwardOnly, adLockReadOnly);
  if (recordsAffected != nullptr) *recordsAffected = *affected;
  return recordset;
}

void Connection::Close() {
  if (!engine_) raise(err::kObjectClosed, kSource);
  for (const auto& weak : *rowsets_) {
    if (auto rowset = weak.lock()) rowset->close();
  }
  rowsets_->clear();
  engine_.reset();
  transactionLevel_ = 0;
}

int32_t Connection::BeginTrans() {
  auto engine = this->engine();
  try {
    engine->beginTransaction();
  } catch (const EngineFailure& failure) {
    raiseLogged(failure, err::kCommandFailed, errors_.get());
  }
  return ++transactionLevel_;
}

void Connection::CommitTrans() {
  auto engine = this->engine();
  try {
    engine->commitTransaction();
  } catch (const EngineFailure& failure) {
    raiseLogged(failure, err::kCommandFailed, errors_.get());
  }
  transactionLevel_ = 0;
}

void Connection::RollbackTrans() {
  auto engine = this->engine();
  try {
    engine->rollbackTransaction();
  } catch (const EngineFailure& failure) {
    raiseLogged(failure, err::kCommandFailed, errors_.get());
  }
  transactionLevel_ = 0;
}

std::shared_ptr<Properties> Connection::PropertiesObject() const {
  return std::make_shared<Properties>(properties_);
}

std::shared_ptr<Errors> Connection::ErrorsObject() const {
  return std::make_shared<Errors>(errors_);
}

const DispatchTable& Connection::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Connection");
    Members<Connection>(t)
        .get<&Connection::ConnectionString>("ConnectionString", {})
        .put<&Connection::setConnectionString>("ConnectionString", {in("Value")})
        .get<&Connection::Provider>("Provider", {})
        .put<&Connection::setProvider>("Provider", {in("Value")})
        .get<&Connection::State>("State", {})
        .get<&Connection::CursorLocation>("CursorLocation", {})
        .put<&Connection::setCursorLocation>("CursorLocation", {in("Value")})
        .get<&Connection::CommandTimeout>("CommandTimeout", {})
        .put<&Connection::setCommandTimeout>("CommandTimeout", {in("Value")})
        .get<&Connection::ConnectionTimeout>("ConnectionTimeout", {})
        .put<&Connection::setConnectionTimeout>("ConnectionTimeout", {in("Value")})
        .get("Version", {}, [](Connection&, CallArgs&) { return Variant("2.8"); })
        .get<&Connection::PropertiesObject>("Properties", {})
        .get<&Connection::ErrorsObject>("Errors", {})
        .method<&Connection::Open>(
            "Open", {opt("ConnectionString", Variant("")), opt("UserID", Variant("")),
                     opt("Password", Variant("")), opt("Options", Variant(int32_t{-1}))})
        .method(
            "Execute",
            {in("CommandText"), optRef("RecordsAffected"), opt("Options", Variant(int32_t{-1}))},
            [](Connection& c, CallArgs& a) {
              int64_t affected = -1;
              auto rs = c.Execute(a.str(0), &affected, a.lng(2));
              if (!a.missing(1)) {
                a.set(1, Variant(static_cast<int32_t>(
                             std::clamp<int64_t>(affected, INT32_MIN, INT32_MAX))));
              }
              return Variant(Object(rs));
            })
        .method<&Connection::Close>("Close", {})
        .method<&Connection::BeginTrans>("BeginTrans", {})
        .method<&Connection::CommitTrans>("CommitTrans", {})
        .method<&Connection::RollbackTrans>("RollbackTrans", {});
    return t;
  }();
  return table;
}

}  // namespace qxvb::ado
