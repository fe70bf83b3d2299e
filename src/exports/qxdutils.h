// The settings component's two exported functions, in the profile-API
// shape: 8-bit strings in the locale's character set, a caller buffer of
// Size bytes, the count of bytes written as the result.
#pragma once

#include <cstdint>

extern "C" {

// Fills Buffer with the value of Item in Section, or Default; returns the
// count without the terminator.
int32_t QXDUtils_ReadSetting(const char* Section, const char* Item, const char* Default,
                             char* Buffer, int32_t Size, const char* FileName);

// Fills Buffer with the section's entries, each ended by a NUL; a section
// that does not fit gives Size - 2.
int32_t QXDUtils_ReadSettingSection(const char* Section, char* Buffer, int32_t Size,
                                    const char* FileName);
}
