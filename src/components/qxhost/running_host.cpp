#include "components/qxhost/running_host.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>

#include "database/repository/embedded_repository.h"

namespace qxvb::qxhost {

namespace {

struct Window {
  std::string repository;
  std::shared_ptr<const DiagramModel> diagram;
};

// The host is one per process; its callers may sit on any thread.
struct HostState {
  std::mutex lock;
  std::optional<std::string> repository;  // set by a caller; else the variable
  uint64_t generation = 1;
  int64_t areaLimit = 0;
  int32_t nextHandle = 0x00010010;
  std::map<int32_t, Window> windows;
};

HostState& state() {
  static HostState host;
  return host;
}

std::string variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

void openRepository(const std::string& location) {
  HostState& host = state();
  const std::lock_guard<std::mutex> guard(host.lock);
  host.repository = location;
  ++host.generation;
}

uint64_t repositoryGeneration() {
  HostState& host = state();
  const std::lock_guard<std::mutex> guard(host.lock);
  return host.generation;
}

void closeRepository() {
  openRepository(std::string());
}

std::string runningRepository() {
  HostState& host = state();
  const std::lock_guard<std::mutex> guard(host.lock);
  return host.repository ? *host.repository : variable(kRepositoryVariable);
}

std::string repositoryConnectionString(const std::string& location) {
  if (location.find("Provider=") != std::string::npos) return location;
  return embeddedConnectionString(location);
}

int64_t bitmapAreaLimit() {
  HostState& host = state();
  const std::lock_guard<std::mutex> guard(host.lock);
  if (host.areaLimit > 0) return host.areaLimit;
  const std::string text = variable(kAreaLimitVariable);
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0' && value > 0 ? value : kDefaultBitmapAreaLimit;
}

void setBitmapAreaLimit(int64_t pixels) {
  HostState& host = state();
  const std::lock_guard<std::mutex> guard(host.lock);
  host.areaLimit = pixels > 0 ? pixels : 0;
}

int32_t showDiagram(const std::string& repository, std::shared_ptr<const DiagramModel> diagram) {
  HostState& host = state();
  const std::lock_guard<std::mutex> guard(host.lock);
  for (const auto& [handle, window] : host.windows) {
    if (window.repository == repository && window.diagram->id == diagram->id) return handle;
  }
  const int32_t handle = host.nextHandle;
  host.nextHandle += 0x10;
  host.windows[handle] = Window{repository, std::move(diagram)};
  return handle;
}

void hideDiagram(const std::string& repository, int32_t ddid) {
  HostState& host = state();
  const std::lock_guard<std::mutex> guard(host.lock);
  std::erase_if(host.windows, [&](const auto& entry) {
    return entry.second.repository == repository && entry.second.diagram->id == ddid;
  });
}

int32_t windowOf(const std::string& repository, int32_t ddid) {
  HostState& host = state();
  const std::lock_guard<std::mutex> guard(host.lock);
  for (const auto& [handle, window] : host.windows) {
    if (window.repository == repository && window.diagram->id == ddid) return handle;
  }
  return 0;
}

std::shared_ptr<const DiagramModel> diagramInWindow(int32_t handle) {
  HostState& host = state();
  const std::lock_guard<std::mutex> guard(host.lock);
  const auto found = host.windows.find(handle);
  return found != host.windows.end() ? found->second.diagram : nullptr;
}

}  // namespace qxvb::qxhost
