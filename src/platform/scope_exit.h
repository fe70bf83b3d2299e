// Runs a clean-up when a scope ends, on every way out of it (a return or an
// exception), so a function that opens something states its closing once.
#pragma once

#include <utility>

namespace qxvb {

template <class Cleanup>
class ScopeExit {
 public:
  explicit ScopeExit(Cleanup cleanup) : cleanup_(std::move(cleanup)) {}
  ~ScopeExit() { cleanup_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  Cleanup cleanup_;
};

}  // namespace qxvb
