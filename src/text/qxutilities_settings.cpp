// QXGetSetting and QXSetSetting: one setting of the default profile,
// through the thread's shared QXDUtilsVB.
#include <algorithm>
#include <string>

#include "frame/automation_error.h"
#include "frame/vb_conversions.h"
#include "platform/unicode.h"
#include "settings/qxdutilsvb.h"
#include "text/qxutilities.h"

namespace qxvb {

namespace {

constexpr std::string_view kNotFound = "*?&NOTFOUND&?*";

// The first n characters (code points) of text.
std::string leftChars(const std::string& text, int32_t n) {
  if (n <= 0) return {};
  size_t i = 0;
  int32_t count = 0;
  while (i < text.size() && count < n) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t len = 1;
    if (c >= 0xF0)
      len = 4;
    else if (c >= 0xE0)
      len = 3;
    else if (c >= 0xC0)
      len = 2;
    i = std::min(text.size(), i + len);
    ++count;
  }
  return text.substr(0, i);
}

}  // namespace

bool QXUtilities::QXGetSetting(std::string& itemName, std::string& Value, int32_t& lenValue,
                               const std::string& SectionName) {
  try {
    const int32_t bufferLength = std::max<int32_t>(static_cast<int32_t>(kNotFound.size()) + 1,
                                                   lenValue < INT32_MAX ? lenValue + 1 : INT32_MAX);
    std::string buffer(static_cast<size_t>(bufferLength), ' ');
    sharedQXDUtilsVB()->QXDUtilsVB_ReadSettingNTS(SectionName, itemName, std::string(kNotFound),
                                                  buffer, bufferLength, "");
    const size_t nul = buffer.find('\0');
    if (nul != std::string::npos) buffer.resize(nul);
    if (buffer == kNotFound) {
      Value.clear();
      return false;
    }
    Value = unicode::length(buffer) > static_cast<size_t>(std::max(lenValue, 0))
                ? leftChars(buffer, lenValue)
                : buffer;
    return true;
  } catch (const std::exception&) {
    Value.clear();
    return false;
  }
}

bool QXUtilities::QXSetSetting(std::string& settingName, std::string& Value,
                               const std::string& SectionName) {
  try {
    sharedQXDUtilsVB()->QXDUtilsVB_WriteSetting(Variant(SectionName), Variant(settingName),
                                                Variant(Value), Variant(""));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void addSettingsMembers(Members<QXUtilities>& members) {
  members
      .method(
          "QXGetSetting",
          {ref("itemName"), ref("Value"), ref("lenValue"), opt("SectionName", Variant("Wizard"))},
          [](QXUtilities& u, CallArgs& a) {
            std::string item = a.str(0);
            std::string value;
            int32_t length = a.lng(2);
            const bool found = u.QXGetSetting(item, value, length, a.str(3));
            a.set(0, Variant(item));
            a.set(1, Variant(value));
            a.set(2, Variant(length));
            return Variant(found);
          })
      .method<&QXUtilities::QXSetSetting>("QXSetSetting", {ref("settingName"), ref("Value"),
                                                           opt("SectionName", Variant("Wizard"))});
}

}  // namespace qxvb
