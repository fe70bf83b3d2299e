// Late-bound invocation: every automation object of the library derives
// from Dispatch and describes its members in a DispatchTable, so callers can
// reach them by name, as automation clients do.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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

// The arguments of one late-bound call, with defaults already in place.
// Writing an argument is how a member passes a by-reference output back.
class CallArgs {
 public:
  explicit CallArgs(std::vector<Variant>& values) : values_(values) {}

  size_t size() const { return values_.size(); }
  const Variant& operator[](size_t i) const { return values_[i]; }
  Variant& at(size_t i) { return values_[i]; }
  void set(size_t i, Variant v) { values_[i] = std::move(v); }

  bool missing(size_t i) const { return values_[i].isMissing(); }
  std::string str(size_t i) const;
  int32_t lng(size_t i) const;
  int16_t integer(size_t i) const;
  double dbl(size_t i) const;
  bool boolean(size_t i) const;
  Object object(size_t i) const;

 private:
  std::vector<Variant>& values_;
};

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

 private:
  // The name and parameters are moved into the table; clang-tidy misreads
  // the moves inside this template as reads.
  // NOLINTNEXTLINE(performance-unnecessary-value-param)
  Members& add(CallKind kind, std::string name, std::vector<ParamSpec> params, Fn fn) {
    table_.add(kind, std::move(name), std::move(params),
               [fn = std::move(fn)](Dispatch& self, CallArgs& args) {
                 return fn(static_cast<T&>(self), args);
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
