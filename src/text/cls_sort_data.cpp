#include "text/cls_sort_data.h"

#include <memory>

namespace qxvb {

const DispatchTable& clsSortData::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("clsSortData");
    Members<clsSortData>(t)
        .get("Key", {}, [](clsSortData& s, CallArgs&) { return s.Key; })
        .put("Key", {in("vData")},
             [](clsSortData& s, CallArgs& a) {
               s.Key = a[0];
               return Variant();
             })
        .putRef("Key", {in("vData")},
                [](clsSortData& s, CallArgs& a) {
                  s.Key = Variant(a.object(0));
                  return Variant();
                })
        .get("Data", {}, [](clsSortData& s, CallArgs&) { return s.Data; })
        .put("Data", {in("vData")},
             [](clsSortData& s, CallArgs& a) {
               s.Data = a[0];
               return Variant();
             })
        .putRef("Data", {in("vData")}, [](clsSortData& s, CallArgs& a) {
          s.Data = Variant(a.object(0));
          return Variant();
        });
    return t;
  }();
  return table;
}

Object makeclsSortData() {
  return std::make_shared<clsSortData>();
}

}  // namespace qxvb
