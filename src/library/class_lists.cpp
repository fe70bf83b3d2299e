#include "library/class_lists.h"

#include "frame/catalogue.h"

namespace qxvb {

void registerClassLists(Catalogue& catalogue) {
  registerLibraryClasses(catalogue);
  registerComponentClasses(catalogue);
  registerXmlClasses(catalogue);
  registerAdoClasses(catalogue);
}

}  // namespace qxvb
