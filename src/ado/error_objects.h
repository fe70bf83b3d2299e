// A connection's Errors collection: the engine failures of its last
// failing operation, as Error objects with number, description, source,
// SQLSTATE and native code.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ado/ado_errors.h"
#include "frame/dispatch.h"

namespace qxvb::ado {

struct ErrorEntry {
  int32_t number = 0;
  std::string description;
  std::string source;
  std::string sqlState;
  int32_t nativeError = 0;
};

// Shared by a connection and the recordsets and commands that use it.
struct ErrorLog {
  std::vector<ErrorEntry> entries;
};
using ErrorLogPtr = std::shared_ptr<ErrorLog>;

// Records the failure in the log (when there is one) and raises it with the
// given number.
[[noreturn]] void raiseLogged(const EngineFailure& failure, int32_t number, ErrorLog* log);

class Error : public Dispatch {
 public:
  explicit Error(ErrorEntry entry) : entry_(std::move(entry)) {}
  const DispatchTable& dispatchTable() const override;
  const ErrorEntry& entry() const { return entry_; }

 private:
  ErrorEntry entry_;
};

class Errors : public Dispatch {
 public:
  explicit Errors(ErrorLogPtr log) : log_(std::move(log)) {}
  const DispatchTable& dispatchTable() const override;

  int32_t Count() const { return static_cast<int32_t>(log_->entries.size()); }
  std::shared_ptr<Error> Item(const Variant& index) const;  // 0..Count-1
  void Clear() { log_->entries.clear(); }

 private:
  ErrorLogPtr log_;
};

}  // namespace qxvb::ado
