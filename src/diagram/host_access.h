// Reaching the running host application late-bound, as every diagram
// export does: the application object, its low-level interface, its open
// repository, and one diagram of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frame/variant.h"

namespace qxvb::diagram {

struct HostObjects {
  Object application;
  Object interfaceObject;  // Interface("IQXIMF")
  Object repository;       // Ruzuderedevu
};

// The host with its interface and repository; nothing when any of them is
// missing (the host cannot be created, has no interface or no repository
// open).
std::optional<HostObjects> reachHost();

struct FetchedDiagram {
  Object diagram;
  int32_t type = 0;
  bool secondNotation = false;
};

// Fetches the diagram with the repository's read-only switch written back
// as it was, and asks whether its type is of the second notation. Raises
// what the host raises (a diagram that does not exist, for one).
FetchedDiagram fetchDiagram(const HostObjects& host, int32_t ddid);

// Calls a member late-bound with the arguments in place, so by-reference
// outputs land in args.
Variant invokeWith(const Object& target, const char* member, std::vector<Variant>& args);

// The diagram's window while this lives: shown when it had none, and hidden
// again at the end only then.
class DiagramWindow {
 public:
  explicit DiagramWindow(Object diagram);
  DiagramWindow(const DiagramWindow&) = delete;
  DiagramWindow& operator=(const DiagramWindow&) = delete;
  ~DiagramWindow();
  int32_t handle() const { return handle_; }

 private:
  Object diagram_;
  bool opened_ = false;
  int32_t handle_ = 0;
};

}  // namespace qxvb::diagram
