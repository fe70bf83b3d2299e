// The late-bound interface of QX_Registry.
#include "settings/registry/qx_registry.h"

namespace qxvb {

namespace {

using Self = QX_Registry;

Variant objectResult(const std::shared_ptr<Collection>& collection) {
  return Variant(Object(collection));
}

void addValueMembers(Members<Self>& m) {
  m.method("QX_Reg_WriteSetting",
           {in("v_lngHKey"), in("v_strKeyName"), in("v_lngRegType"), in("v_varValue"),
            opt("v_strAppName", Variant("")), opt("v_strSectionName", Variant(""))},
           [](Self& s, CallArgs& a) {
             const int32_t hkey = a.lng(0);
             const std::string name = a.str(1);
             const int32_t type = a.lng(2);
             const std::string app = a.str(4);
             s.QX_Reg_WriteSetting(hkey, name, type, a[3], app, a.str(5));
             return Variant();
           })
      .method("QX_Reg_ReadSetting",
              {in("v_lngHKey"), in("v_strKeyName"), opt("v_strAppName", Variant("")),
               opt("v_strSectionName", Variant(""))},
              [](Self& s, CallArgs& a) {
                const int32_t hkey = a.lng(0);
                const std::string name = a.str(1);
                const std::string app = a.str(2);
                return Variant(s.QX_Reg_ReadSetting(hkey, name, app, a.str(3)));
              })
      .method("QX_Reg_DeleteSetting",
              {in("v_lngHKey"), in("v_strKeyName"), opt("v_strAppName", Variant("")),
               opt("v_strSectionName", Variant(""))},
              [](Self& s, CallArgs& a) {
                const int32_t hkey = a.lng(0);
                const std::string name = a.str(1);
                const std::string app = a.str(2);
                s.QX_Reg_DeleteSetting(hkey, name, app, a.str(3));
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
  m.method(
       "QX_Reg_ReadAllSettings",
       {in("v_lngHKey"), opt("v_strAppName", Variant("")), opt("v_strSectionName", Variant(""))},
       [](Self& s, CallArgs& a) {
         const int32_t hkey = a.lng(0);
         const std::string app = a.str(1);
         return objectResult(s.QX_Reg_ReadAllSettings(hkey, app, a.str(2)));
       })
      .method(
          "QX_Reg_ReadAllSubKeys",
          {in("v_lngHKey"), opt("v_strAppName", Variant("")), opt("v_strSectionName", Variant(""))},
          [](Self& s, CallArgs& a) {
            const int32_t hkey = a.lng(0);
            const std::string app = a.str(1);
            return objectResult(s.QX_Reg_ReadAllSubKeys(hkey, app, a.str(2)));
          })
      .method("QXReg_ReadAllSubKeys", {in("v_lngHKey"), in("v_strSection")},
              [](Self& s, CallArgs& a) {
                const int32_t hkey = a.lng(0);
                return objectResult(s.QXReg_ReadAllSubKeys(hkey, a.str(1)));
              })
      .method(
          "QX_Reg_DeleteKey",
          {in("v_lngHKey"), opt("v_strAppName", Variant("")), opt("v_strSectionName", Variant(""))},
          [](Self& s, CallArgs& a) {
            const int32_t hkey = a.lng(0);
            const std::string app = a.str(1);
            s.QX_Reg_DeleteKey(hkey, app, a.str(2));
            return Variant();
          });
}

void addBranchMembers(Members<Self>& m) {
  m.method(
       "QX_Reg_ReadBranchAsXML",
       {in("v_lngHKey"), opt("v_strAppName", Variant("")), opt("v_strSectionName", Variant(""))},
       [](Self& s, CallArgs& a) {
         const int32_t hkey = a.lng(0);
         const std::string app = a.str(1);
         return Variant(s.QX_Reg_ReadBranchAsXML(hkey, app, a.str(2)));
       })
      .method("QX_Reg_WriteBranchFromXML",
              {in("v_lngHKey"), in("v_strXML"), opt("v_strAppName", Variant("")),
               opt("v_strSectionName", Variant(""))},
              [](Self& s, CallArgs& a) {
                const int32_t hkey = a.lng(0);
                const std::string text = a.str(1);
                const std::string app = a.str(2);
                s.QX_Reg_WriteBranchFromXML(hkey, text, app, a.str(3));
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
