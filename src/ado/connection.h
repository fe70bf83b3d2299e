// ADODB.Connection: opens the engine its connection string names, runs
// statements, and closes what it opened.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ado/engine.h"
#include "ado/error_objects.h"
#include "ado/properties.h"
#include "frame/dispatch.h"

namespace qxvb::ado {

class Recordset;
class Rowset;

// The statement a command text stands for under an ADO command type:
// text as written, a table read whole, or a stored-procedure call.
std::string statementFor(EngineConnection& engine, const std::string& text, int32_t commandType,
                         const std::vector<ParamValue>& params);
// The command type carried in an Options argument (adCmdText when none).
int32_t commandTypeOf(int32_t options);

class Connection : public Dispatch {
 public:
  Connection();
  ~Connection() override;
  const DispatchTable& dispatchTable() const override;

  std::string ConnectionString() const;
  void setConnectionString(const std::string& text);
  std::string Provider() const;
  void setProvider(const std::string& provider);
  int32_t State() const { return engine_ ? 1 : 0; }
  int32_t CursorLocation() const { return cursorLocation_; }
  void setCursorLocation(int32_t location);
  int32_t CommandTimeout() const { return commandTimeout_; }
  void setCommandTimeout(int32_t seconds);
  int32_t ConnectionTimeout() const { return connectionTimeout_; }
  void setConnectionTimeout(int32_t seconds);

  // Arguments left empty keep the connection's own string and credentials.
  void Open(const std::string& connectionString = {}, const std::string& userId = {},
            const std::string& password = {}, int32_t options = -1);
  // Returns the result rows as a forward-only recordset (closed when the
  // statement returns none); Nothing with adExecuteNoRecords.
  std::shared_ptr<Recordset> Execute(const std::string& commandText,
                                     int64_t* recordsAffected = nullptr, int32_t options = -1);
  void Close();
  int32_t BeginTrans();
  void CommitTrans();
  void RollbackTrans();

  std::shared_ptr<Properties> PropertiesObject() const;
  std::shared_ptr<Errors> ErrorsObject() const;

  // For the recordsets and commands that use this connection; raises 3709
  // when it is not open.
  std::shared_ptr<EngineConnection> engine() const;
  const ErrorLogPtr& errorLog() const { return errors_; }
  // Rowsets on this connection are closed with it.
  void track(const std::shared_ptr<Rowset>& rowset);

 private:
  std::string connectionString_;
  std::string provider_;      // set through the Provider property
  std::string openProvider_;  // the provider in use while open
  int32_t cursorLocation_ = 2;
  int32_t commandTimeout_ = 30;
  int32_t connectionTimeout_ = 15;
  std::shared_ptr<EngineConnection> engine_;
  ErrorLogPtr errors_;
  std::shared_ptr<PropertyStore> properties_;
  // Shared with the engine's statement hook, which may outlive the object.
  std::shared_ptr<std::vector<std::weak_ptr<Rowset>>> rowsets_;
  int32_t transactionLevel_ = 0;
};

}  // namespace qxvb::ado
