// The composition root: the lists of every creatable class, the library's
// own and the outside components it calls, handed to the catalogue when it
// is first used. Only this folder knows the classes of every subsystem.
#pragma once

namespace qxvb {

class Catalogue;

// The library's public classes with their identifiers and instancing.
void registerLibraryClasses(Catalogue& catalogue);
// Our implementations of the product's outside components.
void registerComponentClasses(Catalogue& catalogue);
// The XML document classes, so callers can create documents and schema
// caches by name.
void registerXmlClasses(Catalogue& catalogue);
// The data-access objects.
void registerAdoClasses(Catalogue& catalogue);

}  // namespace qxvb
