#include "frame/dispatch.h"

#include <new>
#include <system_error>

#include "frame/automation_error.h"
#include "frame/vb_conversions.h"
#include "platform/text/ascii.h"

namespace qxvb {

namespace {

// E_FAIL, the number a failure without its own number carries.
constexpr int32_t kUnspecifiedFailure = static_cast<int32_t>(0x80004005);

}  // namespace

ParamSpec in(std::string name) {
  return ParamSpec{std::move(name), false, false, Variant::missing()};
}
ParamSpec ref(std::string name) {
  return ParamSpec{std::move(name), false, true, Variant::missing()};
}
ParamSpec opt(std::string name, Variant defaultValue) {
  return ParamSpec{std::move(name), true, false, std::move(defaultValue)};
}
ParamSpec optRef(std::string name, Variant defaultValue) {
  return ParamSpec{std::move(name), true, true, std::move(defaultValue)};
}

std::string CallArgs::str(size_t i) const {
  return CStr(values_[i]);
}
int32_t CallArgs::lng(size_t i) const {
  return CLng(values_[i]);
}
int16_t CallArgs::integer(size_t i) const {
  return CInt(values_[i]);
}
double CallArgs::dbl(size_t i) const {
  return CDbl(values_[i]);
}
bool CallArgs::boolean(size_t i) const {
  return CBool(values_[i]);
}
Object CallArgs::object(size_t i) const {
  return CObj(values_[i]);
}

void DispatchTable::add(CallKind kind, std::string name, std::vector<ParamSpec> params,
                        MemberHandler handler) {
  const int position = static_cast<int>(members_.size());
  Slots& slots = index_[ascii::toLower(name)];
  switch (kind) {
    case kMethod:
      slots.method = position;
      break;
    case kPropertyGet:
      slots.get = position;
      break;
    case kPropertyPut:
      slots.put = position;
      break;
    case kPropertyPutRef:
      slots.putRef = position;
      break;
  }
  members_.push_back(MemberInfo{std::move(name), kind, std::move(params), std::move(handler)});
}

const MemberInfo* DispatchTable::find(std::string_view name, uint8_t kinds) const {
  const auto it = index_.find(ascii::toLower(name));
  if (it == index_.end()) return nullptr;
  const Slots& s = it->second;
  int position = -1;
  if ((kinds & kMethod) != 0 && s.method >= 0) position = s.method;
  if (position < 0 && (kinds & kPropertyGet) != 0 && s.get >= 0) position = s.get;
  if (position < 0 && (kinds & kPropertyPut) != 0 && s.put >= 0) position = s.put;
  if (position < 0 && (kinds & kPropertyPutRef) != 0) {
    position = s.putRef >= 0 ? s.putRef : s.put;
  }
  return position < 0 ? nullptr : &members_[static_cast<size_t>(position)];
}

std::vector<const MemberInfo*> DispatchTable::members() const {
  std::vector<const MemberInfo*> out;
  out.reserve(members_.size());
  for (const auto& m : members_) out.push_back(&m);
  return out;
}

Variant Dispatch::invoke(std::string_view member, uint8_t kinds, std::vector<Variant>& args) {
  const DispatchTable& table = dispatchTable();
  const MemberInfo* info = table.find(member, kinds);
  if (info == nullptr) raiseVbError(vberr::NoSuchMember);
  const auto& params = info->params;
  const size_t given = args.size();
  if (given > params.size()) raiseVbError(vberr::WrongArgumentCount);

  // Left-out arguments take their defaults for the call only; the caller's
  // list keeps its own length and its explicit "missing" markers.
  std::vector<size_t> defaulted;
  for (size_t i = 0; i < params.size(); ++i) {
    const bool absent = i >= given || args[i].isMissing();
    if (!absent) continue;
    if (!params[i].optional) {
      raiseError(vberr::ArgumentNotOptional, kProjectName,
                 std::string(vbErrorText(vberr::ArgumentNotOptional)) + ": " + params[i].name);
    }
    if (i >= given)
      args.push_back(params[i].defaultValue);
    else
      args[i] = params[i].defaultValue;
    defaulted.push_back(i);
  }
  const auto restore = [&] {
    args.resize(given);
    for (const size_t i : defaulted) {
      if (i < given) args[i] = Variant::missing();
    }
  };

  CallArgs callArgs(args);
  try {
    Variant result = info->handler(*this, callArgs);
    restore();
    return result;
  } catch (const AutomationError&) {
    restore();
    throw;
  } catch (const std::bad_alloc&) {
    restore();
    raiseVbError(vberr::OutOfMemory);
  } catch (const std::exception& e) {
    restore();
    raiseError(kUnspecifiedFailure, std::string(kProjectName) + "." + table.className(), e.what());
  }
}

Variant Dispatch::call(std::string_view member, std::vector<Variant> args) {
  return invoke(member, kMethod | kPropertyGet, args);
}

Variant Dispatch::getProperty(std::string_view member) {
  std::vector<Variant> args;
  return invoke(member, kPropertyGet | kMethod, args);
}

void Dispatch::putProperty(std::string_view member, Variant value) {
  std::vector<Variant> args{std::move(value)};
  const bool isObject = args[0].type() == VarType::Object;
  invoke(member, isObject ? kPropertyPutRef : kPropertyPut, args);
}

Variant invokeOn(const Object& target, std::string_view member, uint8_t kinds,
                 std::vector<Variant>& args) {
  if (!target) raiseVbError(vberr::ObjectNotSet);
  return target->invoke(member, kinds, args);
}

}  // namespace qxvb
