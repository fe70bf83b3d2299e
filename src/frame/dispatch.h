// Late-bound invocation: every automation object of the library derives
// from Dispatch and describes its members in a DispatchTable, so callers can
// reach them by name, as automation clients do.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "frame/call_args.h"
#include "frame/member_binding.h"
#include "frame/variant.h"

namespace qxvb {

// How a member is reached; a plain call may reach a method or a property get.
enum CallKind : uint8_t {
  kMethod = 1,
  kPropertyGet = 2,
  kPropertyPut = 4,
  kPropertyPutRef = 8,
};

struct ParamSpec {
  std::string name;
  bool optional = false;
  bool byRef = false;
  // Used when an optional argument is left out; an optional Variant
  // without a default stays missing (VT_ERROR, DISP_E_PARAMNOTFOUND).
  Variant defaultValue = Variant::missing();
};

ParamSpec in(std::string name);
ParamSpec ref(std::string name);
ParamSpec opt(std::string name, Variant defaultValue = Variant::missing());
ParamSpec optRef(std::string name, Variant defaultValue = Variant::missing());

class Dispatch;
using MemberHandler = std::function<Variant(Dispatch&, CallArgs&)>;

struct MemberInfo {
  std::string name;
  CallKind kind;
  std::vector<ParamSpec> params;
  MemberHandler handler;
};

// The members of one class, found by name without regard to case.
class DispatchTable {
 public:
  explicit DispatchTable(std::string className) : className_(std::move(className)) {}

  void add(CallKind kind, std::string name, std::vector<ParamSpec> params, MemberHandler handler);
  // kinds is a mask of CallKind; a method is preferred over a property get.
  const MemberInfo* find(std::string_view name, uint8_t kinds) const;
  const std::string& className() const { return className_; }
  std::vector<const MemberInfo*> members() const;

 private:
  struct Slots {
    int method = -1;
    int get = -1;
    int put = -1;
    int putRef = -1;
  };
  std::string className_;
  std::vector<MemberInfo> members_;
  std::unordered_map<std::string, Slots> index_;
};

// Typed front end for filling a DispatchTable of class T.
template <class T>
class Members {
 public:
  using Fn = std::function<Variant(T&, CallArgs&)>;
  explicit Members(DispatchTable& table) : table_(table) {}

  Members& method(std::string name, std::vector<ParamSpec> params, Fn fn) {
    return add(kMethod, std::move(name), std::move(params), std::move(fn));
  }
  Members& get(std::string name, std::vector<ParamSpec> params, Fn fn) {
    return add(kPropertyGet, std::move(name), std::move(params), std::move(fn));
  }
  Members& put(std::string name, std::vector<ParamSpec> params, Fn fn) {
    return add(kPropertyPut, std::move(name), std::move(params), std::move(fn));
  }
  Members& putRef(std::string name, std::vector<ParamSpec> params, Fn fn) {
    return add(kPropertyPutRef, std::move(name), std::move(params), std::move(fn));
  }

  // The same with a member function of the class, e.g.
  // .method<&Connection::Close>("Close", {}): the arguments are converted
  // as its parameter types say and by-reference outputs written back
  // (frame/member_binding.h). The function is a template argument so that
  // the call is a direct one.
  template <auto MemberFn>
  Members& method(std::string name, std::vector<ParamSpec> params) {
    return bind<MemberFn>(kMethod, std::move(name), std::move(params));
  }
  template <auto MemberFn>
  Members& get(std::string name, std::vector<ParamSpec> params) {
    return bind<MemberFn>(kPropertyGet, std::move(name), std::move(params));
  }
  template <auto MemberFn>
  Members& put(std::string name, std::vector<ParamSpec> params) {
    return bind<MemberFn>(kPropertyPut, std::move(name), std::move(params));
  }
  template <auto MemberFn>
  Members& putRef(std::string name, std::vector<ParamSpec> params) {
    return bind<MemberFn>(kPropertyPutRef, std::move(name), std::move(params));
  }

 private:
  // NOLINTNEXTLINE(performance-unnecessary-value-param)
  Members& add(CallKind kind, std::string name, std::vector<ParamSpec> params, Fn fn) {
    table_.add(kind, std::move(name), std::move(params),
               [fn = std::move(fn)](Dispatch& self, CallArgs& args) {
                 return fn(static_cast<T&>(self), args);
               });
    return *this;
  }
  // NOLINTNEXTLINE(performance-unnecessary-value-param)
  template <auto MemberFn>
  Members& bind(CallKind kind, std::string name, std::vector<ParamSpec> params) {
    using Function = binding::MemberFunction<decltype(MemberFn)>;
    static_assert(std::is_base_of_v<typename Function::Class, T>);
    if (params.size() != Function::kArity) {
      throw std::logic_error("member table of " + table_.className() + ": " + name +
                             " lists another number of parameters than it takes");
    }
    table_.add(kind, std::move(name), std::move(params), [](Dispatch& self, CallArgs& args) {
      return Function::template call<MemberFn>(static_cast<T&>(self), args);
    });
    return *this;
  }
  DispatchTable& table_;
};

class ConnectionPoint;

class Dispatch : public std::enable_shared_from_this<Dispatch> {
 public:
  Dispatch() = default;
  Dispatch(const Dispatch&) = delete;
  Dispatch& operator=(const Dispatch&) = delete;
  virtual ~Dispatch() = default;

  virtual const DispatchTable& dispatchTable() const = 0;
  std::string_view className() const { return dispatchTable().className(); }

  // The outgoing (event) interface, for classes that raise events.
  virtual ConnectionPoint* events() { return nullptr; }

  // Calls a member by name. args are the caller's arguments in order;
  // by-reference arguments hold the outputs afterwards. Raises 438 for an
  // unknown member, 449 for a missing required argument, 450 for too many.
  Variant invoke(std::string_view member, uint8_t kinds, std::vector<Variant>& args);
  Variant call(std::string_view member, std::vector<Variant> args = {});
  Variant getProperty(std::string_view member);
  void putProperty(std::string_view member, Variant value);
};

// Invokes a member on an object held in a Variant; error 91 for Nothing.
Variant invokeOn(const Object& target, std::string_view member, uint8_t kinds,
                 std::vector<Variant>& args);

}  // namespace qxvb
