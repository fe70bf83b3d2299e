// The colour picker's request and reply: the library asks the product's
// dialog services component for a colour with a small XML text and reads
// the chosen colour from the reply's "hrgb" attribute. Colours cross in
// red-green-blue digit order; the library's colours are BGR (0x00BBGGRR).
#pragma once

#include <cstdint>
#include <string>

namespace qxvb::gui {

// The ProgID of the dialog services component and its colour operation.
inline constexpr const char* kDialogServicesProgId = "QXDialogServices.Services";
inline constexpr const char* kChooseColorMember = "ChooseColor";

// Six digits swap their outer pairs (BBGGRR <-> RRGGBB); any other length
// is returned unchanged.
std::string swapColourPairs(std::string digits);

// The colour's upper-case hexadecimal digits, left-padded to six, in
// red-green-blue order; a longer value (a system colour) unchanged.
std::string hrgbDigits(int32_t bgr);

// "<c hWnd='...' center='T|F' hrgb='RRGGBB'></c>".
std::string colourRequest(int32_t owner, bool centre, int32_t bgr);

// The colour of a reply: its document element's "hrgb", six digits
// reordered to BGR, read as hexadecimal. Raises an automation error for a
// reply that is not XML, lacks the attribute or holds no hexadecimal
// number.
int32_t colourOfReply(const std::string& reply);

// Reads hrgb-style digits back: the request's digits of a colour give the
// colour again.
int32_t colourOfDigits(const std::string& digits);

}  // namespace qxvb::gui
