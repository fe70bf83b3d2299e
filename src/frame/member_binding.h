// How a member table calls a C++ member function: each argument converted
// as VB converts a Variant to the parameter's declared type (CStr, CLng,
// CInt, CDbl, CBool, CObj; errors 13 and 6 as those raise), and the result
// turned back into a Variant. A parameter that is a non-const reference to
// a plain value is a by-reference parameter: the member works on a
// converted copy, which is written back into the caller's argument after
// the member returns. A Variant& parameter works on the argument itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "frame/automation_error.h"
#include "frame/call_args.h"
#include "frame/variant.h"
#include "frame/vb_conversions.h"

namespace qxvb::binding {

template <class T>
inline constexpr bool kIsSharedPointer = false;
template <class T>
inline constexpr bool kIsSharedPointer<std::shared_ptr<T>> = true;

// The argument converted to a value type V.
template <class V>
V convert(const Variant& value) {
  if constexpr (std::is_same_v<V, std::string>) {
    return CStr(value);
  } else if constexpr (std::is_same_v<V, bool>) {
    return CBool(value);
  } else if constexpr (std::is_same_v<V, int16_t>) {
    return CInt(value);
  } else if constexpr (std::is_same_v<V, int32_t>) {
    return CLng(value);
  } else if constexpr (std::is_same_v<V, double>) {
    return CDbl(value);
  } else if constexpr (std::is_same_v<V, Object>) {
    return CObj(value);
  } else if constexpr (std::is_same_v<V, Variant>) {
    return value;
  } else if constexpr (std::is_enum_v<V>) {
    return static_cast<V>(CLng(value));
  } else {
    static_assert(sizeof(V) == 0, "no VB conversion to this parameter type");
  }
}

// A member's result as a Variant: enumerations as Long, records (types
// with toRecord()) as Record, objects of any class as Object.
template <class R>
Variant toVariant(R&& result) {
  using V = std::remove_cvref_t<R>;
  if constexpr (std::is_enum_v<V>) {
    return Variant(static_cast<int32_t>(result));
  } else if constexpr (requires { result.toRecord(); }) {
    return Variant(result.toRecord());
  } else if constexpr (kIsSharedPointer<V> && !std::is_same_v<V, Object>) {
    return Variant(Object(std::forward<R>(result)));
  } else {
    return Variant(std::forward<R>(result));
  }
}

// One argument as the member receives it (see the header comment).
template <class P>
class Arg {
  using V = std::remove_cvref_t<P>;

 public:
  static constexpr bool kByReference =
      std::is_lvalue_reference_v<P> && !std::is_const_v<std::remove_reference_t<P>>;

  Arg(CallArgs& args, size_t i) : value_(convert<V>(args[i])) {}
  P pass() {
    if constexpr (std::is_reference_v<P>) {
      return value_;
    } else {
      return std::move(value_);
    }
  }
  void writeBack(CallArgs& args, size_t i) {
    if constexpr (kByReference) args.set(i, toVariant(value_));
  }

 private:
  V value_;
};

// Variants are passed without a copy; a Variant& is the argument itself.
template <>
class Arg<const Variant&> {
 public:
  static constexpr bool kByReference = false;
  Arg(CallArgs& args, size_t i) : value_(args[i]) {}
  const Variant& pass() { return value_; }
  void writeBack(CallArgs&, size_t) {}

 private:
  const Variant& value_;
};

template <>
class Arg<Variant&> {
 public:
  static constexpr bool kByReference = false;
  Arg(CallArgs& args, size_t i) : value_(args.at(i)) {}
  Variant& pass() { return value_; }
  void writeBack(CallArgs&, size_t) {}

 private:
  Variant& value_;
};

// A byte array parameter takes byte arrays only (13 otherwise).
inline const ByteArray& bytesOf(const Variant& value) {
  const auto* bytes = value.get<ByteArray>();
  if (bytes == nullptr) raiseVbError(vberr::TypeMismatch);
  return *bytes;
}

template <>
class Arg<const ByteArray&> {
 public:
  static constexpr bool kByReference = false;
  Arg(CallArgs& args, size_t i) : value_(bytesOf(args[i])) {}
  const ByteArray& pass() { return value_; }
  void writeBack(CallArgs&, size_t) {}

 private:
  const ByteArray& value_;
};

// The arguments of one call, each converted in place, from the first to
// the last.
template <class... P>
struct Slots {
  Slots(CallArgs&, size_t) {}
};

template <class First, class... Rest>
struct Slots<First, Rest...> {
  Slots(CallArgs& args, size_t i) : first(args, i), rest(args, i + 1) {}
  Arg<First> first;
  Slots<Rest...> rest;
};

template <size_t I, class S>
auto& slot(S& converted) {
  if constexpr (I == 0) {
    return converted.first;
  } else {
    return slot<I - 1>(converted.rest);
  }
}

// Converts every argument first, then calls, then writes the by-reference
// outputs back.
template <auto Fn, class Self, class R, class... P, size_t... I>
Variant callWith(Self& self, CallArgs& args, std::index_sequence<I...>) {
  Slots<P...> converted(args, 0);
  if constexpr (std::is_void_v<R>) {
    (self.*Fn)(slot<I>(converted).pass()...);
    (slot<I>(converted).writeBack(args, I), ...);
    return Variant();
  } else if constexpr ((Arg<P>::kByReference || ...)) {
    Variant result = toVariant((self.*Fn)(slot<I>(converted).pass()...));
    (slot<I>(converted).writeBack(args, I), ...);
    return result;
  } else {
    return toVariant((self.*Fn)(slot<I>(converted).pass()...));
  }
}

// The class, result and parameters of a member function pointer.
template <class MemberFn>
struct MemberFunction;

template <class C, class R, class... P>
struct MemberFunction<R (C::*)(P...)> {
  using Class = C;
  static constexpr size_t kArity = sizeof...(P);
  template <auto Fn, class Self>
  static Variant call(Self& self, CallArgs& args) {
    return callWith<Fn, Self, R, P...>(self, args, std::index_sequence_for<P...>{});
  }
};

template <class C, class R, class... P>
struct MemberFunction<R (C::*)(P...) const> {
  using Class = C;
  static constexpr size_t kArity = sizeof...(P);
  template <auto Fn, class Self>
  static Variant call(Self& self, CallArgs& args) {
    return callWith<Fn, Self, R, P...>(self, args, std::index_sequence_for<P...>{});
  }
};

}  // namespace qxvb::binding
