#include "ui/common_dialogs/color_request.h"

#include <cstdio>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"

namespace qxvb::gui {

std::string swapColourPairs(std::string digits) {
  if (digits.size() != 6) return digits;
  return digits.substr(4, 2) + digits.substr(2, 2) + digits.substr(0, 2);
}

std::string hrgbDigits(int32_t bgr) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%06X", static_cast<unsigned>(bgr));
  return swapColourPairs(hex);
}

std::string colourRequest(int32_t owner, bool centre, int32_t bgr) {
  return "<c hWnd='" + std::to_string(owner) + "' center='" + (centre ? "T" : "F") + "'" +
         " hrgb='" + hrgbDigits(bgr) + "'" + "></c>";
}

int32_t colourOfDigits(const std::string& digits) {
  const std::string bgr = swapColourPairs(digits);
  // "&H" and up to eight hexadecimal digits make a Long.
  if (bgr.empty() || bgr.size() > 8) raiseVbError(vberr::TypeMismatch);
  uint32_t value = 0;
  for (const char c : bgr) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0) raiseVbError(vberr::TypeMismatch);
    value = value * 16 + static_cast<uint32_t>(d);
  }
  return static_cast<int32_t>(value);
}

int32_t colourOfReply(const std::string& reply) {
  Object document = createObject("MSXML2.DOMDocument");
  document->putProperty("async", Variant(false));
  // Parsed for ourselves: nothing external is ever loaded into it.
  document->putProperty("resolveExternals", Variant(false));
  document->call("loadXML", {Variant(reply)});
  const Object root = CObj(document->getProperty("documentElement"));
  if (!root) raiseVbError(vberr::ObjectNotSet);
  const Variant hrgb = root->call("getAttribute", {Variant("hrgb")});
  if (hrgb.isNull()) raiseVbError(vberr::InvalidUseOfNull);
  return colourOfDigits(CStr(hrgb));
}

}  // namespace qxvb::gui
