// Registration of the XML document classes under their ProgIDs, so callers
// can create documents and schema caches by name.
#pragma once

namespace qxvb {

class Catalogue;

void registerXmlClasses(Catalogue& catalogue);

}  // namespace qxvb
