#include "frame/string_table.h"

#include <vector>

#include "frame/dispatch.h"
#include "frame/module_state.h"
#include "frame/vb_conversions.h"

namespace qxvb {

namespace {
std::string callFormat(std::vector<Variant> args) {
  return CStr(stringTableObject()->invoke("FormatLocalString", kMethod, args));
}
}  // namespace

std::string localString(int32_t id) {
  std::vector<Variant> args{Variant(id)};
  return CStr(stringTableObject()->invoke("GetLocalString", kMethod, args));
}

std::string formatLocalString(std::string_view templ, const Variant& v1) {
  return callFormat({Variant(templ), v1});
}

std::string formatLocalString(std::string_view templ, const Variant& v1, const Variant& v2) {
  return callFormat({Variant(templ), v1, v2});
}

std::string formatLocalString(std::string_view templ, const Variant& v1, const Variant& v2,
                              const Variant& v3) {
  return callFormat({Variant(templ), v1, v2, v3});
}

}  // namespace qxvb
