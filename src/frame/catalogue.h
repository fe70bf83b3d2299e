// The class catalogue: every creatable automation class, the library's own
// and the outside components it calls, found by ProgID or class identifier.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "frame/variant.h"

namespace qxvb {

enum class Instancing {
  GlobalMultiUse,      // callers may use the thread's default instance
  MultiUse,            // callers create instances themselves
  PublicNotCreatable,  // instances are only handed out by other classes
};

struct ClassInfo {
  std::string name;    // class name, e.g. "QXUtilities" or "Connection"
  std::string progId;  // e.g. "QXVBUtils.QXUtilities" or "ADODB.Connection"
  std::string clsid;   // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
  std::string iid;     // default interface
  Instancing instancing = Instancing::MultiUse;
  std::function<Object()> factory;
  std::vector<std::string> aliasIids;  // default interfaces of earlier versions
  std::string eventIid;                // outgoing interface, if the class raises events
  bool partOfLibrary = true;           // false for the outside components
};

class Catalogue {
 public:
  // The process-wide catalogue, filled on first use.
  static Catalogue& instance();

  void add(ClassInfo info);
  // By ProgID (without regard to case) or by class identifier in braces.
  const ClassInfo* find(std::string_view progIdOrClsid) const;
  const ClassInfo* findByName(std::string_view className) const;
  // By default interface identifier, including the aliases.
  const ClassInfo* findByInterface(std::string_view iid) const;
  const std::vector<ClassInfo>& classes() const { return classes_; }

 private:
  std::vector<ClassInfo> classes_;
};

// Creates an object as an automation client's CreateObject does: unknown
// classes and classes that are not creatable raise 429. Creating an object
// of the library runs the thread's load procedure first.
Object createObject(std::string_view progIdOrClsid);

// Creates an object of the library itself (any instancing); for members
// that hand out not-creatable classes.
Object createInternal(std::string_view className);

// The calling thread's default instance of a global multi-use class.
Object globalInstance(std::string_view className);

template <class T>
std::shared_ptr<T> globalInstanceOf(std::string_view className) {
  return std::static_pointer_cast<T>(globalInstance(className));
}

// Fills the catalogue with every class once, when it is first used. The
// class lists belong to the library's composition root (src/library), which
// sits above every subsystem; the frame only declares the call.
void registerClassLists(Catalogue& catalogue);

}  // namespace qxvb
