#include "ado/command.h"

#include <algorithm>

#include "ado/ado_constants.h"
#include "ado/ado_errors.h"
#include "ado/connection.h"
#include "ado/names.h"
#include "ado/recordset.h"
#include "frame/vb_conversions.h"

namespace qxvb::ado {

namespace {

constexpr std::string_view kSource = "ADODB.Command";

// A parameter's description without its value, which may be long.
ParamValue withoutValue(const ParamValue& p) {
  ParamValue out;
  out.name = p.name;
  out.type = p.type;
  out.direction = p.direction;
  out.size = p.size;
  out.precision = p.precision;
  out.scale = p.scale;
  return out;
}

}  // namespace

const DispatchTable& Parameter::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Parameter");
    const auto getValue = [](Parameter& p, CallArgs&) { return p.value().value; };
    const auto putValue = [](Parameter& p, CallArgs& a) {
      p.value().value = a[0];
      return Variant();
    };
    Members<Parameter>(t)
        .get("Name", {}, [](Parameter& p, CallArgs&) { return Variant(p.value().name); })
        .put("Name", {in("Value")},
             [](Parameter& p, CallArgs& a) {
               p.value().name = a.str(0);
               return Variant();
             })
        .get("Value", {}, getValue)
        .put("Value", {in("Value")}, putValue)
        .get("_Default", {}, getValue)
        .put("_Default", {in("Value")}, putValue)
        .get("Type", {}, [](Parameter& p, CallArgs&) { return Variant(p.value().type); })
        .put("Type", {in("Value")},
             [](Parameter& p, CallArgs& a) {
               p.value().type = a.lng(0);
               return Variant();
             })
        .get("Direction", {}, [](Parameter& p, CallArgs&) { return Variant(p.value().direction); })
        .put("Direction", {in("Value")},
             [](Parameter& p, CallArgs& a) {
               p.value().direction = a.lng(0);
               return Variant();
             })
        .get("Size", {}, [](Parameter& p, CallArgs&) { return Variant(p.value().size); })
        .put("Size", {in("Value")},
             [](Parameter& p, CallArgs& a) {
               p.value().size = a.lng(0);
               return Variant();
             })
        .get("Precision", {},
             [](Parameter& p, CallArgs&) { return Variant(int32_t{p.value().precision}); })
        .put("Precision", {in("Value")},
             [](Parameter& p, CallArgs& a) {
               p.value().precision = CByte(a[0]);
               return Variant();
             })
        .get("NumericScale", {},
             [](Parameter& p, CallArgs&) { return Variant(int32_t{p.value().scale}); })
        .put("NumericScale", {in("Value")}, [](Parameter& p, CallArgs& a) {
          p.value().scale = CByte(a[0]);
          return Variant();
        });
    return t;
  }();
  return table;
}

void Parameters::refreshIfNeeded() {
  if (state_->refreshed || !state_->parameters.empty()) return;
  if (state_->type != adCmdStoredProc || !state_->connection ||
      state_->connection->State() != adStateOpen || state_->text.empty()) {
    return;
  }
  Refresh();
}

void Parameters::Refresh() {
  if (!state_->connection) raise(err::kConnectionUnusable, kSource);
  auto engine = state_->connection->engine();
  std::vector<ParamValue> found;
  try {
    found = engine->procedureParameters(state_->text);
  } catch (const EngineFailure& failure) {
    raiseLogged(failure, err::kCommandFailed, state_->connection->errorLog().get());
  }
  state_->parameters.clear();
  for (auto& p : found) state_->parameters.push_back(std::make_shared<Parameter>(std::move(p)));
  state_->refreshed = true;
}

int32_t Parameters::Count() {
  refreshIfNeeded();
  return static_cast<int32_t>(state_->parameters.size());
}

size_t Parameters::position(const Variant& index) {
  refreshIfNeeded();
  auto& list = state_->parameters;
  if (const auto* name = index.get<std::string>()) {
    for (size_t i = 0; i < list.size(); ++i) {
      if (sameName(list[i]->value().name, *name)) return i;
    }
  } else if (index.isNumeric()) {
    const int32_t i = CLng(index);
    if (i >= 0 && static_cast<size_t>(i) < list.size()) return static_cast<size_t>(i);
  }
  raise(err::kItemNotFound, "ADODB.Parameters");
}

std::shared_ptr<Parameter> Parameters::Item(const Variant& index) {
  return state_->parameters[position(index)];
}

void Parameters::Append(const Object& parameter) {
  auto p = std::dynamic_pointer_cast<Parameter>(parameter);
  if (!p) raise(err::kBadArguments, "ADODB.Parameters");
  for (const auto& existing : state_->parameters) {
    if (existing == p) raise(err::kAlreadyInCollection, "ADODB.Parameters");
  }
  state_->parameters.push_back(std::move(p));
  state_->refreshed = true;
}

void Parameters::Delete(const Variant& index) {
  const size_t i = position(index);
  state_->parameters.erase(state_->parameters.begin() + static_cast<std::ptrdiff_t>(i));
}

const DispatchTable& Parameters::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Parameters");
    const auto item = [](Parameters& p, CallArgs& a) { return Variant(Object(p.Item(a[0]))); };
    Members<Parameters>(t)
        .get<&Parameters::Count>("Count", {})
        .get("Item", {in("Index")}, item)
        .get("_Default", {in("Index")}, item)
        .method<&Parameters::Append>("Append", {in("Object")})
        .method<&Parameters::Delete>("Delete", {in("Index")})
        .method<&Parameters::Refresh>("Refresh", {});
    return t;
  }();
  return table;
}

Command::Command()
    : state_(std::make_shared<CommandState>()), parameters_(std::make_shared<Parameters>(state_)) {}

void Command::setActiveConnection(const Variant& connection) {
  if (connection.isNull() || connection.isEmpty() || connection.isMissing()) {
    state_->connection.reset();
    return;
  }
  std::shared_ptr<Connection> c;
  if (const auto* object = connection.get<Object>()) {
    c = std::dynamic_pointer_cast<Connection>(*object);
    if (*object && !c) raise(err::kBadArguments, kSource);
  } else {
    c = std::make_shared<Connection>();
    c->Open(CStr(connection));
  }
  state_->connection = std::move(c);
  if (state_->connection && state_->connection->State() == adStateOpen) {
    for (auto& property : state_->connection->engine()->commandProperties()) {
      state_->properties->define(property.name, property.value, adVariant);
    }
  }
}

void Command::setCommandType(int32_t type) {
  if (type != adCmdText && type != adCmdTable && type != adCmdStoredProc && type != adCmdUnknown &&
      type != adCmdTableDirect && type != adCmdFile && type != adCmdUnspecified) {
    raise(err::kBadArguments, kSource);
  }
  if (type != state_->type) state_->refreshed = false;
  state_->type = type;
}

std::shared_ptr<Parameter> Command::CreateParameter(const std::string& name, int32_t type,
                                                    int32_t direction, int32_t size,
                                                    const Variant& value) const {
  ParamValue p;
  p.name = name;
  p.type = type;
  p.direction = direction;
  p.size = size;
  p.value = value.isMissing() ? Variant() : value;
  return std::make_shared<Parameter>(std::move(p));
}

std::string Command::statement(int32_t options) {
  if (!state_->connection) raise(err::kConnectionUnusable, kSource);
  if (state_->text.empty()) raise(err::kNoCommandText, kSource);
  auto engine = state_->connection->engine();
  const int32_t type =
      options == adOptionUnspecified ? commandTypeOf(state_->type) : commandTypeOf(options);
  std::vector<ParamValue> params;
  for (const auto& p : state_->parameters) params.push_back(withoutValue(p->value()));
  try {
    return statementFor(*engine, state_->text, type, params);
  } catch (const EngineFailure& failure) {
    raiseLogged(failure, err::kCommandFailed, state_->connection->errorLog().get());
  }
}

Rowset::Runner Command::runner(const std::shared_ptr<int64_t>& affected, int32_t options) {
  const std::string sql = statement(options);
  auto engine = state_->connection->engine();
  auto state = state_;
  return [engine, state, sql, affected] {
    // Values are taken at each run, and outputs land in the Parameter
    // objects the caller holds.
    std::vector<ParamValue> params;
    for (const auto& p : state->parameters) {
      ParamValue param = withoutValue(p->value());
      // Inputs are read where the Parameter keeps them.
      if (param.direction == adParamInput) {
        param.inputRef = &p->value().value;
      } else {
        param.value = p->value().value;
      }
      params.push_back(std::move(param));
    }
    std::vector<NamedValue> properties;
    for (const auto& e : state->properties->entries()) properties.push_back({e.name, e.value});
    StatementResult result = engine->executeCommand(sql, params, properties);
    for (size_t i = 0; i < params.size(); ++i) {
      if (params[i].direction != adParamInput) {
        state->parameters[i]->value().value = std::move(params[i].value);
      }
    }
    if (affected) *affected = result.recordsAffected;
    return result;
  };
}

std::shared_ptr<Recordset> Command::Execute(int64_t* recordsAffected, const Variant& values,
                                            int32_t options) {
  if (!values.isMissing() && !values.isEmpty()) {
    const auto* array = values.get<VariantArray>();
    const std::vector<Variant> items =
        array != nullptr ? array->items : std::vector<Variant>{values};
    size_t k = 0;
    for (const auto& p : state_->parameters) {
      if (k >= items.size()) break;
      if (p->value().direction == adParamInput || p->value().direction == adParamInputOutput) {
        p->value().value = items[k++];
      }
    }
  }
  auto affected = std::make_shared<int64_t>(-1);
  Rowset::Runner run = runner(affected, options);
  if (options != adOptionUnspecified && (options & adExecuteNoRecords) != 0) {
    try {
      run();
    } catch (const EngineFailure& failure) {
      raiseLogged(failure, err::kCommandFailed, state_->connection->errorLog().get());
    }
    if (recordsAffected != nullptr) *recordsAffected = *affected;
    return nullptr;
  }
  auto recordset = std::make_shared<Recordset>();
  recordset->openWith(state_->connection, std::move(run), statement(options), adOpenForwardOnly,
                      adLockReadOnly);
  if (recordsAffected != nullptr) *recordsAffected = *affected;
  return recordset;
}

const DispatchTable& Command::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Command");
    const auto setConnection = [](Command& c, CallArgs& a) {
      c.setActiveConnection(a[0]);
      return Variant();
    };
    Members<Command>(t)
        .get<&Command::ActiveConnection>("ActiveConnection", {})
        .put("ActiveConnection", {in("Value")}, setConnection)
        .putRef("ActiveConnection", {in("Value")}, setConnection)
        .get<&Command::CommandText>("CommandText", {})
        .put<&Command::setCommandText>("CommandText", {in("Value")})
        .get<&Command::CommandType>("CommandType", {})
        .put<&Command::setCommandType>("CommandType", {in("Value")})
        .get("CommandTimeout", {}, [](Command& c, CallArgs&) { return Variant(c.state_->timeout); })
        .put("CommandTimeout", {in("Value")},
             [](Command& c, CallArgs& a) {
               c.state_->timeout = a.lng(0);
               return Variant();
             })
        .get("Prepared", {}, [](Command&, CallArgs&) { return Variant(false); })
        .put("Prepared", {in("Value")}, [](Command&, CallArgs&) { return Variant(); })
        .get("State", {}, [](Command&, CallArgs&) { return Variant(int32_t{0}); })
        .get<&Command::ParametersObject>("Parameters", {})
        .get("Properties", {},
             [](Command& c, CallArgs&) {
               return Variant(Object(std::make_shared<Properties>(c.state_->properties)));
             })
        .method<&Command::CreateParameter>(
            "CreateParameter",
            {opt("Name", Variant("")), opt("Type", Variant(int32_t{0})),
             opt("Direction", Variant(int32_t{1})), opt("Size", Variant(int32_t{0})), opt("Value")})
        .method(
            "Execute",
            {optRef("RecordsAffected"), opt("Parameters"), opt("Options", Variant(int32_t{-1}))},
            [](Command& c, CallArgs& a) {
              int64_t affected = -1;
              auto rs = c.Execute(&affected, a[1], a.lng(2));
              if (!a.missing(0)) {
                a.set(0, Variant(static_cast<int32_t>(
                             std::clamp<int64_t>(affected, INT32_MIN, INT32_MAX))));
              }
              return Variant(Object(rs));
            })
        .method("Cancel", {}, [](Command&, CallArgs&) { return Variant(); });
    return t;
  }();
  return table;
}

}  // namespace qxvb::ado
