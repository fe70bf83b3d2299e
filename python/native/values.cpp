#include "values.h"

// datetime.h is not part of Python.h; its API table is fetched in initValues.
#include <datetime.h>

#include <string>
#include <utility>

#include "ado/value_codec.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"
#include "objects.h"

namespace qxvb::python {

namespace {

constexpr std::string_view kSource = "qxvbutils";
// The largest integer a Double holds exactly.
constexpr long long kExactDoubleLimit = 1LL << 53;

// The first exception a Python event sink raised on this thread, as the
// interpreter hands it over.
struct PendingException {
  PyObject* type = nullptr;
  PyObject* value = nullptr;
  PyObject* traceback = nullptr;
  bool held() const { return type != nullptr; }
};
thread_local PendingException tPending;

[[noreturn]] void typeMismatch(const py::handle& value) {
  raiseError(vberr::TypeMismatch, kSource,
             std::string(vbErrorText(vberr::TypeMismatch)) + ": a Python " +
                 Py_TYPE(value.ptr())->tp_name + " has no value in the library");
}

std::string utf8Of(PyObject* text) {
  Py_ssize_t size = 0;
  if (const char* data = PyUnicode_AsUTF8AndSize(text, &size)) {
    return {data, static_cast<size_t>(size)};
  }
  // Lone surrogates stand for the bytes of text decoded with surrogateescape.
  PyErr_Clear();
  auto encoded = py::reinterpret_steal<py::object>(
      PyUnicode_AsEncodedString(text, "utf-8", "surrogateescape"));
  if (!encoded) {
    PyErr_Clear();
    raiseError(vberr::InvalidProcedureCall, kSource,
               "The text holds characters that UTF-8 cannot carry.");
  }
  return {PyBytes_AS_STRING(encoded.ptr()), static_cast<size_t>(PyBytes_GET_SIZE(encoded.ptr()))};
}

py::object textOf(const std::string& text) {
  // Bytes that are not UTF-8 (text read from a file) survive the round trip.
  PyObject* s =
      PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
  if (s == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(s);
}

// The lower bound an Array or Bytes carries; 0 for plain lists and bytes.
int32_t lboundOf(const py::handle& value) {
  PyObject* bound = PyObject_GetAttrString(value.ptr(), "lbound");
  if (bound == nullptr) {
    PyErr_Clear();
    return 0;
  }
  const Variant v = fromPython(py::handle(bound));
  Py_DECREF(bound);
  return CLng(v);
}

Variant integerOf(const py::handle& value) {
  int overflow = 0;
  const long long n = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
  if (overflow == 0 && n >= INT32_MIN && n <= INT32_MAX) return Variant(static_cast<int32_t>(n));
  // Beyond a Long the number travels as a Double, as long as it stays exact.
  if (overflow == 0 && n >= -kExactDoubleLimit && n <= kExactDoubleLimit) {
    return Variant(static_cast<double>(n));
  }
  raiseVbError(vberr::Overflow, kSource);
}

Variant bytesOf(const py::handle& value) {
  ByteArray array;
  Py_buffer view;
  if (PyObject_GetBuffer(value.ptr(), &view, PyBUF_SIMPLE) != 0) {
    PyErr_Clear();
    typeMismatch(value);
  }
  const auto* data = static_cast<const uint8_t*>(view.buf);
  array.data.assign(data, data + view.len);
  PyBuffer_Release(&view);
  array.lbound = lboundOf(value);
  return Variant(std::move(array));
}

Variant arrayOf(const py::handle& value) {
  const int32_t lbound = lboundOf(value);
  const bool strings = py::hasattr(value, "vartype") &&
                       py::str(value.attr("vartype")).cast<std::string>() == "String";
  if (strings) {
    StringArray array{lbound, {}};
    for (const auto item : value) array.items.push_back(CStr(fromPython(item)));
    return Variant(std::move(array));
  }
  VariantArray array{lbound, {}};
  for (const auto item : value) array.items.push_back(fromPython(item));
  return Variant(std::move(array));
}

// A local date and time; an aware datetime is first turned into local time.
Variant dateOf(const py::handle& value) {
  py::object local = py::reinterpret_borrow<py::object>(value);
  if (PyDateTime_Check(value.ptr())) {
    if (!value.attr("tzinfo").is_none()) local = value.attr("astimezone")();
    ado::DateParts parts;
    parts.year = PyDateTime_GET_YEAR(local.ptr());
    parts.month = PyDateTime_GET_MONTH(local.ptr());
    parts.day = PyDateTime_GET_DAY(local.ptr());
    parts.hour = PyDateTime_DATE_GET_HOUR(local.ptr());
    parts.minute = PyDateTime_DATE_GET_MINUTE(local.ptr());
    parts.second = PyDateTime_DATE_GET_SECOND(local.ptr());
    parts.nanos = static_cast<uint32_t>(PyDateTime_DATE_GET_MICROSECOND(local.ptr())) * 1000U;
    return Variant(ado::toDate(parts));
  }
  if (PyDate_Check(value.ptr())) {
    ado::DateParts parts;
    parts.year = PyDateTime_GET_YEAR(value.ptr());
    parts.month = PyDateTime_GET_MONTH(value.ptr());
    parts.day = PyDateTime_GET_DAY(value.ptr());
    return Variant(ado::toDate(parts));
  }
  // A time of day alone is a Date on day 0, as VB keeps it.
  ado::DateParts parts;
  parts.hour = PyDateTime_TIME_GET_HOUR(value.ptr());
  parts.minute = PyDateTime_TIME_GET_MINUTE(value.ptr());
  parts.second = PyDateTime_TIME_GET_SECOND(value.ptr());
  parts.nanos = static_cast<uint32_t>(PyDateTime_TIME_GET_MICROSECOND(value.ptr())) * 1000U;
  return Variant(ado::toDate(parts));
}

py::object dateToPython(DateValue date) {
  const ado::DateParts p = ado::fromDate(date);
  if (p.year < 1 || p.year > 9999) raiseVbError(vberr::Overflow, kSource);
  PyObject* d = PyDateTime_FromDateAndTime(p.year, p.month, p.day, p.hour, p.minute, p.second, 0);
  if (d == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(d);
}

py::object arrayToPython(int32_t lbound, const py::list& items, const char* vartype) {
  return py::reinterpret_borrow<py::object>(classes().array)(items, lbound, vartype);
}

}  // namespace

PythonClasses& classes() {
  static PythonClasses instance;
  return instance;
}

void initValues() {
  PyDateTime_IMPORT;
  if (PyDateTimeAPI == nullptr) throw py::error_already_set();
}

Variant fromPython(const py::handle& value) {
  PyObject* o = value.ptr();
  const PythonClasses& c = classes();
  if (o == Py_None) return Variant::null();
  if (o == c.empty) return Variant();
  if (o == c.nothing) return Variant(Object());
  if (PyBool_Check(o)) return Variant(o == Py_True);
  if (PyLong_Check(o)) return integerOf(value);
  if (PyFloat_Check(o)) return Variant(PyFloat_AS_DOUBLE(o));
  if (PyUnicode_Check(o)) return Variant(utf8Of(o));
  if (PyBytes_Check(o) || PyByteArray_Check(o) || PyMemoryView_Check(o)) return bytesOf(value);
  if (PyDateTime_Check(o) || PyDate_Check(o) || PyTime_Check(o)) return dateOf(value);
  if (PyList_Check(o) || PyTuple_Check(o)) return arrayOf(value);
  if (py::isinstance<WrappedObject>(value))
    return Variant(value.cast<const WrappedObject&>().use());
  if (py::isinstance<WrappedRecord>(value))
    return Variant(value.cast<const WrappedRecord&>().record);
  if (py::isinstance<ErrorCode>(value)) return Variant(ErrorValue{value.cast<ErrorCode>().scode});
  typeMismatch(value);
}

py::object toPython(const Variant& value) {
  switch (value.type()) {
    case VarType::Empty:
      return py::reinterpret_borrow<py::object>(classes().empty);
    case VarType::Null:
      return py::none();
    case VarType::Boolean:
      return py::bool_(*value.get<bool>());
    case VarType::Integer:
      return py::int_(*value.get<int16_t>());
    case VarType::Long:
      return py::int_(*value.get<int32_t>());
    case VarType::Single:
      return py::float_(static_cast<double>(*value.get<float>()));
    case VarType::Double:
      return py::float_(*value.get<double>());
    case VarType::Date:
      return dateToPython(*value.get<DateValue>());
    case VarType::String:
      return textOf(*value.get<std::string>());
    case VarType::Object:
      return wrapObject(*value.get<Object>());
    case VarType::Error: {
      const int32_t scode = value.get<ErrorValue>()->scode;
      if (scode == kDispParamNotFound) return py::reinterpret_borrow<py::object>(classes().missing);
      return py::cast(ErrorCode{scode});
    }
    case VarType::ByteArray: {
      const ByteArray& a = *value.get<ByteArray>();
      py::bytes data(reinterpret_cast<const char*>(a.data.data()), a.data.size());
      if (a.lbound == 0) return data;
      return py::reinterpret_borrow<py::object>(classes().bytes)(data, a.lbound);
    }
    case VarType::StringArray: {
      const StringArray& a = *value.get<StringArray>();
      py::list items;
      for (const auto& s : a.items) items.append(textOf(s));
      return arrayToPython(a.lbound, items, "String");
    }
    case VarType::VariantArray: {
      const VariantArray& a = *value.get<VariantArray>();
      py::list items;
      for (const auto& v : a.items) items.append(toPython(v));
      return arrayToPython(a.lbound, items, "Variant");
    }
    case VarType::Record:
      return py::cast(WrappedRecord{*value.get<Record>()});
  }
  return py::none();
}

void keepSinkException() {
  PyObject* type = nullptr;
  PyObject* value = nullptr;
  PyObject* traceback = nullptr;
  PyErr_Fetch(&type, &value, &traceback);
  if (tPending.held()) {
    // The first one is the one to show; later ones usually follow from it.
    Py_XDECREF(type);
    Py_XDECREF(value);
    Py_XDECREF(traceback);
    return;
  }
  PyErr_NormalizeException(&type, &value, &traceback);
  if (traceback != nullptr && value != nullptr) PyException_SetTraceback(value, traceback);
  tPending = {type, value, traceback};
}

void raisePendingSinkException() {
  if (!tPending.held()) return;
  const PendingException pending = std::exchange(tPending, {});
  PyErr_Restore(pending.type, pending.value, pending.traceback);
  throw py::error_already_set();
}

void raiseInPython(const AutomationError& error, bool attributeLookup) {
  PyObject* cls = attributeLookup ? classes().memberNotFound : classes().automationError;
  py::object instance = py::reinterpret_borrow<py::object>(cls)(
      error.number(), error.source(), error.description(), error.helpFile(), error.helpContext());
  if (tPending.held()) {
    const PendingException pending = std::exchange(tPending, {});
    // SetContext steals the reference to the sink's exception.
    PyException_SetContext(instance.ptr(), pending.value);
    Py_XDECREF(pending.type);
    Py_XDECREF(pending.traceback);
  }
  PyErr_SetObject(cls, instance.ptr());
  throw py::error_already_set();
}

}  // namespace qxvb::python
