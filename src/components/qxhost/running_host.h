// The state of the host application running in this process: which
// repository it has open, the diagram windows it shows, and the largest
// bitmap it can create. Every application object of the process sees the
// same state, as every client of a running host sees the one host.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "components/qxhost/diagram_model.h"

namespace qxvb::qxhost {

// The variable naming the repository a process's host opens at start: an
// embedded repository file or a full connection string.
inline constexpr const char* kRepositoryVariable = "QXHOST_REPOSITORY";
// The variable overriding the bitmap area limit (pixels).
inline constexpr const char* kAreaLimitVariable = "QXHOST_MAX_BITMAP_AREA";
// The default limit: just under 2 to the power 22 pixels.
inline constexpr int64_t kDefaultBitmapAreaLimit = 4'194'200;

// Opens a repository in the process's host (a file or a connection
// string); an empty location closes it. Either overrides the variable.
void openRepository(const std::string& location);
void closeRepository();

// The open repository's location: what openRepository set, else the
// variable's value; empty when no repository is open.
std::string runningRepository();

// Changes whenever a repository is opened or closed, so objects that keep
// one open can tell theirs is out of date.
uint64_t repositoryGeneration();

// The connection string of a location: a text holding "Provider=" is one
// already; anything else names an embedded repository file.
std::string repositoryConnectionString(const std::string& location);

// The largest width times height QXCreateDiagramBitMap creates; 0 or less
// restores the default (or the variable's value).
int64_t bitmapAreaLimit();
void setBitmapAreaLimit(int64_t pixels);

// Diagram windows. A diagram shown in the same repository twice keeps its
// window; handles are never 0 and not reused while the process runs.
int32_t showDiagram(const std::string& repository, std::shared_ptr<const DiagramModel> diagram);
void hideDiagram(const std::string& repository, int32_t ddid);
int32_t windowOf(const std::string& repository, int32_t ddid);
// The diagram a window shows; nullptr for a handle that is not a window.
std::shared_ptr<const DiagramModel> diagramInWindow(int32_t handle);

}  // namespace qxvb::qxhost
