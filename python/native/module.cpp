// The native part of the qxvbutils package: library objects, records and
// the markers, and the functions the package exports.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "frame/catalogue.h"
#include "frame/collection.h"
#include "objects.h"
#include "platform/text/ascii.h"
#include "values.h"

namespace py = pybind11;
using qxvb::python::BoundMember;
using qxvb::python::WrappedCollection;
using qxvb::python::WrappedObject;
using qxvb::python::WrappedRecord;

namespace {

template <class Fn>
auto guarded(Fn&& fn) {
  try {
    return fn();
  } catch (const qxvb::AutomationError& e) {
    qxvb::python::raiseInPython(e);
  }
}

std::string hexAddress(const void* p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%p", p);
  return buf;
}

std::vector<std::string> memberNames(const WrappedObject& self) {
  std::vector<std::string> names;
  for (const auto* m : guarded([&] { return self.use()->dispatchTable().members(); })) {
    if (std::find(names.begin(), names.end(), m->name) == names.end()) names.push_back(m->name);
  }
  return names;
}

qxvb::Collection& collectionOf(const WrappedObject& self) {
  return static_cast<qxvb::Collection&>(*guarded([&] { return self.use(); }));
}

// Item by 1-based number or by key, as the Collection's own Item.
py::object collectionItem(const WrappedObject& self, const py::handle& index) {
  qxvb::Collection& c = collectionOf(self);
  return qxvb::python::toPython(
      guarded([&]() -> qxvb::Variant { return c.Item(qxvb::python::fromPython(index)); }));
}

WrappedCollection newCollection(const py::object& items) {
  auto collection = std::make_shared<qxvb::Collection>();
  guarded([&] {
    if (items.is_none()) return 0;
    if (py::isinstance<py::dict>(items)) {
      for (const auto [key, value] : items.cast<py::dict>()) {
        collection->Add(qxvb::python::fromPython(value), py::str(key).cast<std::string>());
      }
    } else {
      for (const auto item : items) collection->Add(qxvb::python::fromPython(item));
    }
    return 0;
  });
  return WrappedCollection(collection);
}

qxvb::Variant* recordField(WrappedRecord& self, const std::string& name) {
  for (auto& [field, value] : self.record.fields) {
    if (qxvb::ascii::equalsIgnoreCase(field, name)) return &value;
  }
  throw py::attribute_error(self.record.typeName + " has no field " + name);
}

std::string recordRepr(const WrappedRecord& self) {
  std::string out = self.record.typeName + "(";
  bool first = true;
  for (const auto& [field, value] : self.record.fields) {
    if (!first) out += ", ";
    first = false;
    out += field + "=" + py::repr(qxvb::python::toPython(value)).cast<std::string>();
  }
  return out + ")";
}

}  // namespace

PYBIND11_MODULE(_native, m) {
  m.doc() = "The native part of qxvbutils; use the qxvbutils package.";
  qxvb::python::initValues();

  py::class_<qxvb::python::EmptyMarker>(m, "EmptyType")
      .def("__repr__", [](const qxvb::python::EmptyMarker&) { return "Empty"; })
      .def("__bool__", [](const qxvb::python::EmptyMarker&) { return false; });
  py::class_<qxvb::python::NothingMarker>(m, "NothingType")
      .def("__repr__", [](const qxvb::python::NothingMarker&) { return "Nothing"; })
      .def("__bool__", [](const qxvb::python::NothingMarker&) { return false; });
  py::class_<qxvb::python::ErrorCode>(m, "ErrorValue")
      .def(py::init([](int32_t scode) { return qxvb::python::ErrorCode{scode}; }), py::arg("scode"))
      .def_readonly("scode", &qxvb::python::ErrorCode::scode)
      .def("__eq__",
           [](const qxvb::python::ErrorCode& a, const py::object& b) {
             return py::isinstance<qxvb::python::ErrorCode>(b) &&
                    b.cast<qxvb::python::ErrorCode>().scode == a.scode;
           })
      .def("__hash__", [](const qxvb::python::ErrorCode& a) { return py::hash(py::int_(a.scode)); })
      .def("__repr__", [](const qxvb::python::ErrorCode& a) {
        if (a.scode == qxvb::kDispParamNotFound) return std::string("Missing");
        return "ErrorValue(" + std::to_string(a.scode) + ")";
      });

  auto& c = qxvb::python::classes();
  for (auto [name, slot] : {std::pair{"Empty", &c.empty}, std::pair{"Nothing", &c.nothing}}) {
    py::object marker = std::string(name) == "Empty" ? py::cast(qxvb::python::EmptyMarker{})
                                                     : py::cast(qxvb::python::NothingMarker{});
    m.attr(name) = marker;
    *slot = marker.release().ptr();  // kept for the life of the process
  }
  {
    py::object missing = py::cast(qxvb::python::ErrorCode{qxvb::kDispParamNotFound});
    m.attr("Missing") = missing;
    c.missing = missing.release().ptr();
  }

  py::class_<WrappedRecord>(m, "Record")
      .def(py::init([](const std::string& typeName, const py::kwargs& fields) {
             WrappedRecord r;
             r.record.typeName = typeName;
             guarded([&] {
               for (const auto [key, value] : fields) {
                 r.record.fields.emplace_back(py::str(key), qxvb::python::fromPython(value));
               }
               return 0;
             });
             return r;
           }),
           py::arg("typename"))
      .def("__getattr__",
           [](WrappedRecord& self, const std::string& name) {
             return qxvb::python::toPython(*recordField(self, name));
           })
      .def("__setattr__",
           [](WrappedRecord& self, const std::string& name, const py::handle& value) {
             qxvb::Variant* field = recordField(self, name);
             *field = guarded([&] { return qxvb::python::fromPython(value); });
           })
      .def_property_readonly("_typename",
                             [](const WrappedRecord& self) { return self.record.typeName; })
      .def_property_readonly("_fields",
                             [](const WrappedRecord& self) {
                               py::list names;
                               for (const auto& f : self.record.fields) names.append(f.first);
                               return py::tuple(names);
                             })
      .def("_asdict",
           [](const WrappedRecord& self) {
             py::dict out;
             for (const auto& [field, value] : self.record.fields) {
               out[py::str(field)] = qxvb::python::toPython(value);
             }
             return out;
           })
      .def("__dir__",
           [](const WrappedRecord& self) {
             py::list names;
             for (const auto& f : self.record.fields) names.append(f.first);
             return names;
           })
      .def("__eq__",
           [](const WrappedRecord& a, const py::object& b) {
             return py::isinstance<WrappedRecord>(b) &&
                    b.cast<const WrappedRecord&>().record == a.record;
           })
      .def("__repr__", &recordRepr);

  py::class_<WrappedObject>(m, "Object")
      .def("__getattr__", &qxvb::python::getAttribute)
      .def("__setattr__", &qxvb::python::setAttribute)
      .def("__getitem__",
           [](const WrappedObject& self, const py::object& index) {
             const auto* item = guarded([&] {
               return self.use()->dispatchTable().find("Item", qxvb::kMethod | qxvb::kPropertyGet);
             });
             if (item == nullptr) throw py::type_error("the object has no Item member");
             const py::tuple args =
                 py::isinstance<py::tuple>(index) ? index.cast<py::tuple>() : py::make_tuple(index);
             return qxvb::python::callMember(self, *item, py::reinterpret_borrow<py::args>(args),
                                             py::kwargs());
           })
      .def("__dir__", &memberNames)
      .def("__bool__", [](const WrappedObject&) { return true; })
      .def("__eq__",
           [](const WrappedObject& a, const py::object& b) {
             return py::isinstance<WrappedObject>(b) &&
                    b.cast<const WrappedObject&>().raw() == a.raw();
           })
      .def("__hash__",
           [](const WrappedObject& self) { return std::hash<const void*>()(self.raw().get()); })
      .def("__repr__", [](const WrappedObject& self) {
        return "<qxvbutils.Object " + std::string(self.raw()->className()) + " at " +
               hexAddress(self.raw().get()) + ">";
      });

  py::class_<WrappedCollection, WrappedObject>(m, "Collection")
      .def(py::init(&newCollection), py::arg("items") = py::none())
      .def("__len__", [](const WrappedObject& self) { return collectionOf(self).Count(); })
      .def("__bool__", [](const WrappedObject& self) { return collectionOf(self).Count() > 0; })
      .def("__getitem__", &collectionItem)
      .def("__iter__",
           [](const WrappedObject& self) {
             // A snapshot, so the loop is not upset by changes made in it.
             qxvb::Collection& c = collectionOf(self);
             py::list items;
             for (int32_t i = 1; i <= c.Count(); ++i)
               items.append(qxvb::python::toPython(c.Item(qxvb::Variant(i))));
             return py::iter(items);
           })
      .def("keys", [](const WrappedObject& self) {
        qxvb::Collection& c = collectionOf(self);
        py::list keys;
        for (int32_t i = 1; i <= c.Count(); ++i) {
          const auto key = c.keyAt(i);
          keys.append(key ? py::object(py::str(*key)) : py::object(py::none()));
        }
        return keys;
      });

  py::class_<BoundMember>(m, "Member")
      .def("__call__",
           [](const BoundMember& self, const py::args& args, const py::kwargs& kwargs) {
             return qxvb::python::callMember(self.target, *self.member, args, kwargs);
           })
      .def_property_readonly("name", [](const BoundMember& self) { return self.member->name; })
      .def_property_readonly("parameters",
                             [](const BoundMember& self) {
                               py::list names;
                               for (const auto& p : self.member->params) names.append(p.name);
                               return py::tuple(names);
                             })
      .def("__repr__", [](const BoundMember& self) {
        return "<qxvbutils member " + std::string(self.target.raw()->className()) + "." +
               self.member->name + ">";
      });

  m.def(
      "create",
      [](const std::string& progId) {
        return qxvb::python::wrapObject(guarded([&] { return qxvb::createObject(progId); }));
      },
      py::arg("progid"));
  m.def("put", [](const WrappedObject& target, const std::string& name, const py::args& args) {
    qxvb::python::putProperty(target, name, args);
  });
  m.def("advise", &qxvb::python::advise, py::arg("source"), py::arg("sink"));
  m.def("unadvise", &qxvb::python::unadvise, py::arg("source"), py::arg("cookie"));
  m.def("unload", &qxvb::python::unloadLibrary);
  m.def("class_names", [] {
    std::vector<std::string> names;
    for (const auto& info : qxvb::Catalogue::instance().classes()) names.push_back(info.name);
    return names;
  });
  m.def(
      "_register",
      [](const py::object& automationError, const py::object& memberNotFound,
         const py::object& array, const py::object& bytes) {
        auto& k = qxvb::python::classes();
        k.automationError = py::object(automationError).release().ptr();
        k.memberNotFound = py::object(memberNotFound).release().ptr();
        k.array = py::object(array).release().ptr();
        k.bytes = py::object(bytes).release().ptr();
      },
      "Hands over the classes the package writes in Python.");
}
