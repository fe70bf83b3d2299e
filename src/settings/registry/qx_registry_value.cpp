#include "settings/registry/qx_registry_value.h"

#include "frame/automation_error.h"
#include "frame/vb_conversions.h"

namespace qxvb {

namespace {

using Self = QX_RegistryValue;

// The key argument of Init: a registry key or Nothing.
std::shared_ptr<QX_RegistryKey> keyFrom(const Variant& value) {
  const Object object = CObj(value);
  if (!object) return nullptr;
  auto key = std::dynamic_pointer_cast<QX_RegistryKey>(object);
  if (!key) raiseVbError(vberr::TypeMismatch);
  return key;
}

}  // namespace

void QX_RegistryValue::Init(const std::shared_ptr<QX_RegistryKey>& r_objKey,
                            const std::string& v_strName, int32_t v_lngType,
                            const std::string& v_strValue) {
  key_ = r_objKey;
  name_ = v_strName;
  keyType_ = v_lngType;
  value_ = v_strValue;
}

const DispatchTable& QX_RegistryValue::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QX_RegistryValue");
    Members<Self>(t)
        .get("Key", {}, [](Self& v, CallArgs&) { return Variant(Object(v.Key())); })
        .get<&Self::Name>("Name", {})
        .get<&Self::Value>("Value", {})
        .get<&Self::KeyType>("KeyType", {})
        .method("Init", {ref("r_objKey"), in("v_strName"), in("v_lngType"), in("v_strValue")},
                [](Self& v, CallArgs& a) {
                  const auto key = keyFrom(a[0]);
                  const std::string name = a.str(1);
                  const int32_t type = a.lng(2);
                  v.Init(key, name, type, a.str(3));
                  return Variant();
                });
    return t;
  }();
  return table;
}

Object makeQX_RegistryValue() {
  return std::make_shared<QX_RegistryValue>();
}

}  // namespace qxvb
