#include "objects.h"

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "frame/automation_error.h"
#include "frame/collection.h"
#include "frame/events.h"
#include "frame/module_state.h"
#include "platform/text/ascii.h"
#include "values.h"

namespace qxvb::python {

namespace {

constexpr std::string_view kSource = "qxvbutils";
// RPC_E_WRONG_THREAD: an apartment's object called from another thread.
constexpr int32_t kWrongThread = static_cast<int32_t>(0x8001010E);
// CO_E_OBJNOTCONNECTED: the object's server is gone.
constexpr int32_t kNotConnected = static_cast<int32_t>(0x800401FD);
// CONNECT_E_NOCONNECTION: no outgoing interface to connect to.
constexpr int32_t kNoConnection = static_cast<int32_t>(0x80040200);

// Counts the loads of the library on this thread; a wrapper made during
// one load is refused after it.
thread_local uint64_t tGeneration = 0;

// Objects whose last wrapper went on another thread than their own; each
// thread releases its own on its next call.
std::mutex gDroppedMutex;
std::vector<std::pair<std::thread::id, Object>> gDropped;
std::atomic<size_t> gDroppedCount{0};

void releaseDropped() {
  if (gDroppedCount.load(std::memory_order_relaxed) == 0) return;
  std::vector<Object> mine;
  {
    const std::lock_guard lock(gDroppedMutex);
    const auto self = std::this_thread::get_id();
    std::erase_if(gDropped, [&](auto& entry) {
      if (entry.first != self) return false;
      mine.push_back(std::move(entry.second));
      return true;
    });
    gDroppedCount.store(gDropped.size(), std::memory_order_relaxed);
  }
  mine.clear();
}

// Calls the library with the interpreter free for other threads: members
// may wait on a database, a directory server or a dialog.
Variant invokeReleased(const Object& object, const std::string& name, uint8_t kinds,
                       std::vector<Variant>& args) {
  Variant result;
  try {
    const py::gil_scoped_release released;
    result = object->invoke(name, kinds, args);
  } catch (const AutomationError& e) {
    raiseInPython(e);
  }
  raisePendingSinkException();
  return result;
}

size_t parameterIndex(const MemberInfo& member, const std::string& name) {
  for (size_t i = 0; i < member.params.size(); ++i) {
    if (ascii::equalsIgnoreCase(member.params[i].name, name)) return i;
  }
  // DISP_E_PARAMNOTFOUND, as a named argument the member does not have.
  raiseError(kDispParamNotFound, kSource, "Parameter not found: " + name);
}

std::vector<Variant> argumentsFor(const MemberInfo& member, const py::args& args,
                                  const py::kwargs& kwargs) {
  std::vector<Variant> values;
  values.reserve(member.params.size());
  for (const auto item : args) values.push_back(fromPython(item));
  const size_t positional = values.size();
  if (kwargs) {
    for (const auto [key, value] : kwargs) {
      const std::string name = py::str(key);
      const size_t i = parameterIndex(member, name);
      if (i < positional) {
        raiseError(
            vberr::WrongArgumentCount, kSource,
            std::string(vbErrorText(vberr::WrongArgumentCount)) + ": " + name + " given twice");
      }
      if (values.size() <= i) values.resize(i + 1, Variant::missing());
      values[i] = fromPython(value);
    }
  }
  // A left-out by-reference parameter is passed its default, so its value
  // after the call comes back like the others.
  for (size_t i = 0; i < member.params.size(); ++i) {
    if (!member.params[i].byRef) continue;
    if (values.size() <= i) values.resize(i + 1, Variant::missing());
    if (values[i].isMissing() && member.params[i].optional)
      values[i] = member.params[i].defaultValue;
  }
  return values;
}

bool hasByRef(const MemberInfo& member) {
  for (const auto& p : member.params) {
    if (p.byRef) return true;
  }
  return false;
}

[[noreturn]] void noSuchAttribute(const std::string& name) {
  raiseInPython(AutomationError(vberr::NoSuchMember, std::string(kProjectName),
                                std::string(vbErrorText(vberr::NoSuchMember)) + ": " + name),
                true);
}

// An event sink written in Python.
class PythonSink : public EventSink {
 public:
  explicit PythonSink(py::object sink) : sink_(std::move(sink)) {}
  PythonSink(const PythonSink&) = delete;
  PythonSink& operator=(const PythonSink&) = delete;
  ~PythonSink() override {
    // At interpreter exit the reference is left to the interpreter.
    if (_Py_IsFinalizing() != 0) {
      sink_.release();
      return;
    }
    const py::gil_scoped_acquire gil;
    sink_ = py::object();
  }

  void onEvent(std::string_view name, std::vector<Variant>& args) override {
    const py::gil_scoped_acquire gil;
    try {
      py::object handler = handlerFor(std::string(name));
      if (!handler) return;
      py::tuple values(args.size());
      for (size_t i = 0; i < args.size(); ++i) values[i] = toPython(args[i]);
      takeAnswer(handler(*values), args);
    } catch (py::error_already_set& e) {
      e.restore();
      keepSinkException();
    } catch (const AutomationError& e) {
      try {
        raiseInPython(e);
      } catch (py::error_already_set& raised) {
        raised.restore();
        keepSinkException();
      }
    }
  }

 private:
  py::object handlerFor(const std::string& name) const {
    for (const std::string& candidate : {name, "On" + name}) {
      if (py::hasattr(sink_, candidate.c_str())) return sink_.attr(candidate.c_str());
    }
    return {};
  }

  // A handler answers the event's by-reference arguments, which come last:
  // a tuple replaces as many arguments from the end, a single value the
  // last one.
  static void takeAnswer(const py::object& answer, std::vector<Variant>& args) {
    if (answer.is_none() || args.empty()) return;
    if (!py::isinstance<py::tuple>(answer)) {
      args.back() = fromPython(answer);
      return;
    }
    const auto values = answer.cast<py::tuple>();
    const size_t n = std::min(values.size(), args.size());
    for (size_t i = 0; i < n; ++i)
      args[args.size() - n + i] = fromPython(values[values.size() - n + i]);
  }

  py::object sink_;
};

ConnectionPoint& eventsOf(const WrappedObject& source) {
  ConnectionPoint* events = source.use()->events();
  if (events == nullptr) raiseError(kNoConnection, kSource, "The object does not raise events.");
  return *events;
}

}  // namespace

WrappedObject::WrappedObject(Object object)
    : object_(std::move(object)), owner_(std::this_thread::get_id()), generation_(tGeneration) {}

WrappedObject::~WrappedObject() {
  if (!object_ || owner_ == std::this_thread::get_id()) return;
  const std::lock_guard lock(gDroppedMutex);
  gDropped.emplace_back(owner_, std::move(object_));
  gDroppedCount.store(gDropped.size(), std::memory_order_relaxed);
}

const Object& WrappedObject::use() const {
  if (owner_ != std::this_thread::get_id()) {
    raiseError(kWrongThread, kSource,
               "The object belongs to another thread: library objects are used only on the "
               "thread that created them.");
  }
  if (generation_ != tGeneration) {
    raiseError(kNotConnected, kSource,
               "The library was unloaded from this thread after the object was created.");
  }
  releaseDropped();
  return object_;
}

py::object wrapObject(Object object) {
  if (!object) return py::none();
  if (dynamic_cast<Collection*>(object.get()) != nullptr) {
    return py::cast(WrappedCollection(std::move(object)));
  }
  return py::cast(WrappedObject(std::move(object)));
}

py::object callMember(const WrappedObject& target, const MemberInfo& member, const py::args& args,
                      const py::kwargs& kwargs) {
  std::vector<Variant> values;
  try {
    values = argumentsFor(member, args, kwargs);
    target.use();
  } catch (const AutomationError& e) {
    raiseInPython(e);
  }
  const Variant result = invokeReleased(target.raw(), member.name, member.kind, values);
  if (!hasByRef(member)) return toPython(result);
  py::list answer;
  answer.append(toPython(result));
  for (size_t i = 0; i < member.params.size() && i < values.size(); ++i) {
    if (member.params[i].byRef) answer.append(toPython(values[i]));
  }
  return py::tuple(answer);
}

py::object getAttribute(const WrappedObject& target, const std::string& name) {
  const MemberInfo* member = nullptr;
  try {
    member = target.use()->dispatchTable().find(name, kMethod | kPropertyGet);
  } catch (const AutomationError& e) {
    raiseInPython(e);
  }
  if (member == nullptr) noSuchAttribute(name);
  if (member->kind == kPropertyGet && member->params.empty()) {
    std::vector<Variant> none;
    return toPython(invokeReleased(target.raw(), member->name, kPropertyGet, none));
  }
  return py::cast(BoundMember{target, member});
}

void putProperty(const WrappedObject& target, const std::string& name, const py::args& args) {
  const MemberInfo* member = nullptr;
  std::vector<Variant> values;
  uint8_t kind = kPropertyPut;
  try {
    for (const auto item : args) values.push_back(fromPython(item));
    if (!values.empty() && values.back().type() == VarType::Object) kind = kPropertyPutRef;
    member = target.use()->dispatchTable().find(name, kind);
  } catch (const AutomationError& e) {
    raiseInPython(e);
  }
  if (member == nullptr) noSuchAttribute(name);
  invokeReleased(target.raw(), member->name, kind, values);
}

void setAttribute(const WrappedObject& target, const std::string& name, const py::handle& value) {
  putProperty(target, name, py::make_tuple(value));
}

void unloadLibrary() {
  releaseDropped();
  ++tGeneration;
  unloadThread();
}

uint32_t advise(const WrappedObject& source, py::object sink) {
  try {
    return eventsOf(source).advise(std::make_shared<PythonSink>(std::move(sink)));
  } catch (const AutomationError& e) {
    raiseInPython(e);
  }
}

void unadvise(const WrappedObject& source, uint32_t cookie) {
  try {
    eventsOf(source).unadvise(cookie);
  } catch (const AutomationError& e) {
    raiseInPython(e);
  }
}

}  // namespace qxvb::python
