#include "frame/catalogue.h"

namespace qxvb {

// Automation classes of the platform layer that callers may create by
// ProgID (the data-access objects, for example).
void registerPlatformClasses(Catalogue& catalogue) { (void)catalogue; }

}  // namespace qxvb
