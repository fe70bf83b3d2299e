#include "network/product_settings.h"

#include <vector>

#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"
#include "text/product_setting.h"

namespace qxvb {

std::string componentText(int32_t id) {
  const Object resource = createObject("QXXRes.Resource");
  std::vector<Variant> args{Variant(id)};
  return CStr(resource->invoke("GetLocalString", kMethod, args));
}

bool switchSettingOn(const std::string& item, const std::string& section) {
  const std::optional<std::string> value = productSetting(item, section, 1);
  return value && (*value == "y" || *value == "Y");
}

}  // namespace qxvb
