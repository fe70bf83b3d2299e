#include "frame/events.h"

#include <algorithm>

#include "frame/dispatch.h"

namespace qxvb {

void DispatchSink::onEvent(std::string_view name, std::vector<Variant>& args) {
  if (target_) target_->invoke(name, kMethod, args);
}

uint32_t ConnectionPoint::advise(std::shared_ptr<EventSink> sink) {
  const uint32_t cookie = nextCookie_++;
  sinks_.emplace_back(cookie, std::move(sink));
  return cookie;
}

void ConnectionPoint::unadvise(uint32_t cookie) {
  std::erase_if(sinks_, [cookie](const auto& entry) { return entry.first == cookie; });
}

void ConnectionPoint::fire(std::string_view name, std::vector<Variant>& args) {
  // A copy, so sinks may connect or disconnect while the event is raised.
  const auto sinks = sinks_;
  for (const auto& [cookie, sink] : sinks) {
    if (sink) sink->onEvent(name, args);
  }
}

}  // namespace qxvb
