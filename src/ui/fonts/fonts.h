// The product's fonts (Glyvel's answers with the locale's character set),
// VB's font sizes, forms set up in the localised font, and the local names
// of Office settings.
#pragma once

#include <cstdint>
#include <string>

class QWidget;

namespace qxvb::gui {

// The platform's ANSI code page of the thread's locale language (LC_ALL,
// LC_CTYPE, LANG): 1251 for Russian, 932 for Japanese, ..., else 1252.
int32_t localeCodePage();
// The character set of a code page (932 -> 128, 1251 -> 204, ...; any
// other -> 0).
int16_t charSetOfCodePage(int32_t codePage);

// Glyvel's font of the kind (1 user interface, 5 menu) with the locale's
// character set; false when it has no name or no size.
bool productFont(int32_t kind, std::string& name, int32_t& size, int16_t& charSet);

// The size a standard font object reports for a face and size: the
// nearest size in whole pixels of the screen, back in points (8 -> 8.25).
double vbFontSize(const std::string& face, int32_t size);

// Gives the widget and its children the user-interface font when the
// product wants localised fonts; errors are ignored.
void applyFormLanguage(QWidget& form);

// QXGetLocalValueForMSOffice.
std::string localValueForMSOffice(const std::string& englishValue);

}  // namespace qxvb::gui
