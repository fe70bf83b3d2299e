// Outgoing interfaces: a class that raises events keeps a ConnectionPoint,
// and callers connect sinks to it, as automation connection points work.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "frame/variant.h"

namespace qxvb {

class EventSink {
 public:
  virtual ~EventSink() = default;
  // args are the event's arguments; by-reference ones may be changed.
  virtual void onEvent(std::string_view name, std::vector<Variant>& args) = 0;
};

// A sink made from a function, for C++ callers.
class FunctionSink : public EventSink {
 public:
  using Handler = std::function<void(std::string_view, std::vector<Variant>&)>;
  explicit FunctionSink(Handler handler) : handler_(std::move(handler)) {}
  void onEvent(std::string_view name, std::vector<Variant>& args) override { handler_(name, args); }

 private:
  Handler handler_;
};

// A sink that calls the method named after the event on an automation
// object, the way late-bound event handlers are reached.
class DispatchSink : public EventSink {
 public:
  explicit DispatchSink(Object target) : target_(std::move(target)) {}
  void onEvent(std::string_view name, std::vector<Variant>& args) override;

 private:
  Object target_;
};

class ConnectionPoint {
 public:
  explicit ConnectionPoint(std::string interfaceId) : interfaceId_(std::move(interfaceId)) {}

  const std::string& interfaceId() const { return interfaceId_; }
  // Returns a cookie for Unadvise; cookies start at 1.
  uint32_t advise(std::shared_ptr<EventSink> sink);
  void unadvise(uint32_t cookie);
  size_t sinkCount() const { return sinks_.size(); }

  // Calls every connected sink in the order they connected. A sink may
  // disconnect itself while being called.
  void fire(std::string_view name, std::vector<Variant>& args);

 private:
  std::string interfaceId_;
  uint32_t nextCookie_ = 1;
  std::vector<std::pair<uint32_t, std::shared_ptr<EventSink>>> sinks_;
};

}  // namespace qxvb
