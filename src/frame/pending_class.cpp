#include "frame/pending_class.h"

#include <map>
#include <memory>
#include <mutex>

namespace qxvb {

namespace {
const DispatchTable* emptyTableFor(const std::string& className) {
  static std::mutex mutex;
  static std::map<std::string, std::unique_ptr<DispatchTable>> tables;
  const std::lock_guard lock(mutex);
  auto& slot = tables[className];
  if (!slot) slot = std::make_unique<DispatchTable>(className);
  return slot.get();
}
}  // namespace

PendingClass::PendingClass(const std::string& className) : table_(emptyTableFor(className)) {}

}  // namespace qxvb
