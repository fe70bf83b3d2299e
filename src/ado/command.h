// ADODB.Command with its Parameters: a statement or stored procedure run
// with input values and returning output values.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ado/engine.h"
#include "ado/properties.h"
#include "ado/rowset.h"
#include "frame/dispatch.h"

namespace qxvb::ado {

class Connection;
class Recordset;

class Parameter : public Dispatch {
 public:
  Parameter() = default;
  explicit Parameter(ParamValue value) : p_(std::move(value)) {}
  const DispatchTable& dispatchTable() const override;

  ParamValue& value() { return p_; }
  const ParamValue& value() const { return p_; }

 private:
  ParamValue p_;
};

// What a command and its Parameters collection share.
struct CommandState {
  std::shared_ptr<Connection> connection;
  std::string text;
  int32_t type = 8;  // adCmdUnknown
  int32_t timeout = 30;
  std::vector<std::shared_ptr<Parameter>> parameters;
  bool refreshed = false;
  std::shared_ptr<PropertyStore> properties = std::make_shared<PropertyStore>();
};

class Parameters : public Dispatch {
 public:
  explicit Parameters(std::shared_ptr<CommandState> state) : state_(std::move(state)) {}
  const DispatchTable& dispatchTable() const override;

  int32_t Count();
  std::shared_ptr<Parameter> Item(const Variant& index);
  void Append(const Object& parameter);
  void Delete(const Variant& index);
  // Asks the engine for the parameters of the stored procedure.
  void Refresh();

 private:
  // A stored procedure's parameters come from the engine the first time
  // they are asked for, as ADO does.
  void refreshIfNeeded();
  size_t position(const Variant& index);
  std::shared_ptr<CommandState> state_;
};

class Command : public Dispatch {
 public:
  Command();
  const DispatchTable& dispatchTable() const override;

  std::shared_ptr<Connection> ActiveConnection() const { return state_->connection; }
  void setActiveConnection(const Variant& connection);
  const std::string& CommandText() const { return state_->text; }
  void setCommandText(std::string text) { state_->text = std::move(text); }
  int32_t CommandType() const { return state_->type; }
  void setCommandType(int32_t type);
  std::shared_ptr<Parameters> ParametersObject() const { return parameters_; }

  std::shared_ptr<Parameter> CreateParameter(const std::string& name = {}, int32_t type = 0,
                                             int32_t direction = 1, int32_t size = 0,
                                             const Variant& value = Variant::missing()) const;
  // values: input values for the parameters in order (a VariantArray).
  std::shared_ptr<Recordset> Execute(int64_t* recordsAffected = nullptr,
                                     const Variant& values = Variant::missing(),
                                     int32_t options = -1);

  // The statement and the run behind Execute, also used by Recordset.Open.
  Rowset::Runner runner(const std::shared_ptr<int64_t>& affected, int32_t options);
  std::string statement(int32_t options);

 private:
  std::shared_ptr<CommandState> state_;
  std::shared_ptr<Parameters> parameters_;
};

}  // namespace qxvb::ado
