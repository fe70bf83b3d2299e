#include "ado/serialized_engine.h"

namespace qxvb::ado {

namespace {

class HookedEngine : public EngineConnection {
 public:
  HookedEngine(std::shared_ptr<EngineConnection> inner, std::function<void()> beforeStatement)
      : inner_(std::move(inner)), beforeStatement_(std::move(beforeStatement)) {}

  std::string sourceName() const override { return inner_->sourceName(); }
  StatementResult execute(const std::string& sql, std::vector<ParamValue>& params) override {
    beforeStatement_();
    return inner_->execute(sql, params);
  }
  std::string procedureCall(const std::string& name,
                            const std::vector<ParamValue>& params) override {
    return inner_->procedureCall(name, params);
  }
  std::vector<ParamValue> procedureParameters(const std::string& name) override {
    beforeStatement_();
    return inner_->procedureParameters(name);
  }
  std::vector<std::string> keyColumns(const std::string& table) override {
    beforeStatement_();
    return inner_->keyColumns(table);
  }
  std::string quoteIdentifier(std::string_view name) const override {
    return inner_->quoteIdentifier(name);
  }
  int64_t lastInsertKey() override { return inner_->lastInsertKey(); }
  void beginTransaction() override {
    beforeStatement_();
    inner_->beginTransaction();
  }
  void commitTransaction() override {
    beforeStatement_();
    inner_->commitTransaction();
  }
  void rollbackTransaction() override {
    beforeStatement_();
    inner_->rollbackTransaction();
  }
  void setCommandTimeout(int32_t seconds) override { inner_->setCommandTimeout(seconds); }
  bool oneStatementAtATime() const override { return inner_->oneStatementAtATime(); }
  std::vector<NamedValue> commandProperties() const override { return inner_->commandProperties(); }
  StatementResult executeCommand(const std::string& sql, std::vector<ParamValue>& params,
                                 const std::vector<NamedValue>& properties) override {
    beforeStatement_();
    return inner_->executeCommand(sql, params, properties);
  }

 private:
  std::shared_ptr<EngineConnection> inner_;
  std::function<void()> beforeStatement_;
};

}  // namespace

std::shared_ptr<EngineConnection> withStatementHook(std::shared_ptr<EngineConnection> engine,
                                                    std::function<void()> beforeStatement) {
  return std::make_shared<HookedEngine>(std::move(engine), std::move(beforeStatement));
}

}  // namespace qxvb::ado
