// Values across the boundary: Python objects to Variants and back, the
// markers and records Python has no type of its own for, and the Python
// classes the package defines in Python (the error, arrays, byte arrays).
#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>

#include "frame/automation_error.h"
#include "frame/variant.h"

namespace qxvb::python {

namespace py = pybind11;

// Empty and Nothing, each with one instance.
struct EmptyMarker {};
struct NothingMarker {};

// A VT_ERROR value; Missing is the one a left-out argument carries.
struct ErrorCode {
  int32_t scode = 0;
};

// A record (a VB user-defined type) whose fields read and write as
// attributes.
struct WrappedRecord {
  Record record;
};

// Classes written in Python by the package, handed over once at import.
struct PythonClasses {
  PyObject* automationError = nullptr;
  PyObject* memberNotFound = nullptr;  // an AutomationError that is also an AttributeError
  PyObject* array = nullptr;
  PyObject* bytes = nullptr;
  PyObject* empty = nullptr;
  PyObject* nothing = nullptr;
  PyObject* missing = nullptr;
};
PythonClasses& classes();

// Sets up what the conversions need (the datetime API).
void initValues();

Variant fromPython(const py::handle& value);
py::object toPython(const Variant& value);

// An exception a Python event sink raised while the library called it is
// kept until the library call that raised the event has returned, then
// raised there, so the library's own work is never cut short by it.
void keepSinkException();  // takes the current Python error
void raisePendingSinkException();

// Raises error as the Python AutomationError (MemberNotFound for a missing
// attribute); an exception a Python event sink raised during the call
// becomes its context.
[[noreturn]] void raiseInPython(const AutomationError& error, bool attributeLookup = false);

}  // namespace qxvb::python
