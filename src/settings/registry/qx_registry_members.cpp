// The late-bound interface of QX_Registry.
#include "settings/registry/qx_registry.h"

#include <string>
#include <utility>
#include <vector>

namespace qxvb {

namespace {

using Self = QX_Registry;

Variant objectResult(const std::shared_ptr<Collection>& collection) {
  return Variant(Object(collection));
}

// Most members name a key by a root and, optionally, the application and
// section below it; some take one more text between the two (a value name,
// a branch as XML).
std::vector<ParamSpec> keyParams(std::vector<ParamSpec> leading) {
  leading.push_back(opt("v_strAppName", Variant("")));
  leading.push_back(opt("v_strSectionName", Variant("")));
  return leading;
}

std::vector<ParamSpec> keyParams() {
  return keyParams({in("v_lngHKey")});
}

std::vector<ParamSpec> itemParams(std::string item) {
  return keyParams({in("v_lngHKey"), in(std::move(item))});
}

// The arguments of a call made with those parameters, converted in the
// order they stand, so the first bad one is the one reported.
struct KeyArgs {
  int32_t hkey;
  std::string app;
  std::string section;
};

struct ItemArgs {
  int32_t hkey;
  std::string item;
  std::string app;
  std::string section;
};

KeyArgs keyArgs(const CallArgs& a) {
  return {a.lng(0), a.str(1), a.str(2)};
}

ItemArgs itemArgs(const CallArgs& a) {
  return {a.lng(0), a.str(1), a.str(2), a.str(3)};
}

void addValueMembers(Members<Self>& m) {
  m.method("QX_Reg_WriteSetting",
           keyParams({in("v_lngHKey"), in("v_strKeyName"), in("v_lngRegType"), in("v_varValue")}),
           [](Self& s, CallArgs& a) {
             const int32_t hkey = a.lng(0);
             const std::string name = a.str(1);
             const int32_t type = a.lng(2);
             const std::string app = a.str(4);
             s.QX_Reg_WriteSetting(hkey, name, type, a[3], app, a.str(5));
             return Variant();
           })
      .method("QX_Reg_ReadSetting", itemParams("v_strKeyName"),
              [](Self& s, CallArgs& a) {
                const ItemArgs k = itemArgs(a);
                return Variant(s.QX_Reg_ReadSetting(k.hkey, k.item, k.app, k.section));
              })
      .method("QX_Reg_DeleteSetting", itemParams("v_strKeyName"),
              [](Self& s, CallArgs& a) {
                const ItemArgs k = itemArgs(a);
                s.QX_Reg_DeleteSetting(k.hkey, k.item, k.app, k.section);
                return Variant();
              })
      .method("QX_Reg_ReadRegistry", {ref("HKey"), ref("Section"), ref("Key")},
              [](Self& s, CallArgs& a) {
                // Plain names are passed by reference: the caller's
                // variables come back holding the converted arguments.
                const int32_t hkey = a.lng(0);
                const std::string section = a.str(1);
                const std::string key = a.str(2);
                a.set(0, Variant(hkey));
                a.set(1, Variant(section));
                a.set(2, Variant(key));
                return Variant(s.QX_Reg_ReadRegistry(hkey, section, key));
              });
}

void addKeyMembers(Members<Self>& m) {
  m.method("QX_Reg_ReadAllSettings", keyParams(),
           [](Self& s, CallArgs& a) {
             const KeyArgs k = keyArgs(a);
             return objectResult(s.QX_Reg_ReadAllSettings(k.hkey, k.app, k.section));
           })
      .method("QX_Reg_ReadAllSubKeys", keyParams(),
              [](Self& s, CallArgs& a) {
                const KeyArgs k = keyArgs(a);
                return objectResult(s.QX_Reg_ReadAllSubKeys(k.hkey, k.app, k.section));
              })
      .method("QXReg_ReadAllSubKeys", {in("v_lngHKey"), in("v_strSection")},
              [](Self& s, CallArgs& a) {
                const int32_t hkey = a.lng(0);
                return objectResult(s.QXReg_ReadAllSubKeys(hkey, a.str(1)));
              })
      .method("QX_Reg_DeleteKey", keyParams(), [](Self& s, CallArgs& a) {
        const KeyArgs k = keyArgs(a);
        s.QX_Reg_DeleteKey(k.hkey, k.app, k.section);
        return Variant();
      });
}

void addBranchMembers(Members<Self>& m) {
  m.method("QX_Reg_ReadBranchAsXML", keyParams(), [](Self& s, CallArgs& a) {
     const KeyArgs k = keyArgs(a);
     return Variant(s.QX_Reg_ReadBranchAsXML(k.hkey, k.app, k.section));
   }).method("QX_Reg_WriteBranchFromXML", itemParams("v_strXML"), [](Self& s, CallArgs& a) {
    const ItemArgs k = itemArgs(a);
    s.QX_Reg_WriteBranchFromXML(k.hkey, k.item, k.app, k.section);
    return Variant();
  });
}

}  // namespace

const DispatchTable& QX_Registry::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QX_Registry");
    Members<Self> m(t);
    addValueMembers(m);
    addKeyMembers(m);
    addBranchMembers(m);
    return t;
  }();
  return table;
}

}  // namespace qxvb
