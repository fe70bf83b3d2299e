// The product's dialog services component (our small implementation): its
// colour picker takes the library's XML request ("<c hWnd='...'
// center='T|F' hrgb='RRGGBB'></c>"), shows Qt's colour dialog owned by and
// centred over the window it names (or on the screen), and answers
// "<c hrgb='RRGGBB'/>" with a flag that is True when the person cancelled.
#pragma once

#include <string>

#include "frame/dispatch.h"

namespace qxvb::dialog_services {

// The request's parts; raises an automation error for a request that is
// not such a document.
struct ColourRequest {
  int32_t owner = 0;
  bool centre = true;
  std::string hrgb;  // as sent: RRGGBB, or a system colour's digits
};
ColourRequest parseColourRequest(const std::string& request);

// The reply for a chosen colour given as 0xRRGGBB.
std::string colourReply(uint32_t rgb);

class DialogServices : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;
  // Shows the picker; the reply, and cancelled set when it was cancelled.
  std::string ChooseColor(const std::string& request, bool& cancelled);
};

Object makeDialogServices();

}  // namespace qxvb::dialog_services
