// Library objects as Python sees them: a wrapper that remembers the thread
// that made the object (library objects live in one thread's apartment) and
// the load of the library it belongs to, and the late-bound calls made
// through it.
#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

#include "frame/dispatch.h"

namespace qxvb::python {

namespace py = pybind11;

class WrappedObject {
 public:
  explicit WrappedObject(Object object);
  WrappedObject(const WrappedObject&) = default;
  WrappedObject(WrappedObject&&) = default;
  WrappedObject& operator=(const WrappedObject&) = delete;
  WrappedObject& operator=(WrappedObject&&) = delete;
  // An object dropped on another thread is released later on its own.
  ~WrappedObject();

  // The object, for a call on the calling thread; raises an automation
  // error when the object belongs to another thread or to a load of the
  // library that has ended.
  const Object& use() const;
  // The object without the checks, for identity and names.
  const Object& raw() const { return object_; }

 private:
  Object object_;
  std::thread::id owner_;
  uint64_t generation_;
};

// The VB Collection, which Python also sees as a sized, iterable container.
class WrappedCollection : public WrappedObject {
 public:
  using WrappedObject::WrappedObject;
};

// A member found by attribute access, called later with Python arguments.
struct BoundMember {
  WrappedObject target;
  const MemberInfo* member;
};

// The wrapper for a library object (a Collection for the VB Collection);
// None for Nothing.
py::object wrapObject(Object object);

// Calls a member with Python arguments: by position, or by parameter name
// (ignoring case). Members with by-reference parameters answer a tuple:
// the result, then the value of each by-reference parameter after the call.
py::object callMember(const WrappedObject& target, const MemberInfo& member, const py::args& args,
                      const py::kwargs& kwargs);

// Attribute access: a property without parameters is read at once; a
// method or a property with parameters comes back as a BoundMember.
py::object getAttribute(const WrappedObject& target, const std::string& name);
// Property assignment: Set for an object value, Let otherwise.
void setAttribute(const WrappedObject& target, const std::string& name, const py::handle& value);
// An assignment to a property with parameters; the last argument is the value.
void putProperty(const WrappedObject& target, const std::string& name, const py::args& args);

// Releases what other threads dropped of the calling thread's objects,
// ends the library's load on the calling thread and makes its remaining
// wrappers unusable.
void unloadLibrary();

// Event sinks: each event calls the sink's method named after it (or
// "On" + the name). Returns the cookie for unadvise.
uint32_t advise(const WrappedObject& source, py::object sink);
void unadvise(const WrappedObject& source, uint32_t cookie);

}  // namespace qxvb::python
