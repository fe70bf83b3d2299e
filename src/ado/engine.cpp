#include "ado/engine.h"

#include <mutex>

#include "ado/ado_errors.h"
#include "ado/names.h"
#include "ado/odbc_engine.h"
#include "ado/sqlite_engine.h"

namespace qxvb::ado {

namespace {

struct ProviderRegistry {
  std::mutex mutex;
  std::vector<std::pair<std::string, EngineFactory>> entries;
};

ProviderRegistry& registry() {
  static ProviderRegistry instance;
  return instance;
}

}  // namespace

void registerProvider(std::string providerName, EngineFactory factory) {
  ProviderRegistry& r = registry();
  const std::lock_guard lock(r.mutex);
  for (auto& entry : r.entries) {
    if (sameName(entry.first, providerName)) {
      entry.second = std::move(factory);
      return;
    }
  }
  r.entries.emplace_back(std::move(providerName), std::move(factory));
}

EngineFactory findRegisteredProvider(std::string_view providerName) {
  ProviderRegistry& r = registry();
  const std::lock_guard lock(r.mutex);
  for (const auto& entry : r.entries) {
    if (sameName(entry.first, providerName)) return entry.second;
  }
  return {};
}

std::unique_ptr<EngineConnection> openEngine(const OpenRequest& request) {
  switch (request.target.kind) {
    case EngineKind::Sqlite:
      return openSqlite(request);
    case EngineKind::Odbc:
      return openOdbc(request);
    case EngineKind::Registered:
      break;
  }
  const EngineFactory factory = findRegisteredProvider(request.target.provider);
  if (!factory) {
    throw EngineFailure("Provider cannot be found. It may not be properly installed.", {}, 0,
                        request.target.provider);
  }
  return factory(request);
}

}  // namespace qxvb::ado
