#include "text/product_setting.h"

#include "text/qxutilities.h"

namespace qxvb {

std::optional<std::string> productSetting(const std::string& item, const std::string& section,
                                          int32_t length) {
  QXUtilities utilities;
  std::string name = item;
  std::string value;
  int32_t valueLength = length;
  if (!utilities.QXGetSetting(name, value, valueLength, section)) return std::nullopt;
  return value;
}

std::string adoSetting(const std::string& key) {
  constexpr int32_t kLongestValue = 255;
  return productSetting(key, "ADO", kLongestValue).value_or("");
}

}  // namespace qxvb
