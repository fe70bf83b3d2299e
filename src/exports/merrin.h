// The dialog-manager component's exported function, declared once for the
// component that defines it and the subsystems that call it.
#pragma once

#include <cstdint>

// The component's exported entry point. Writes the label, in the locale's
// character set and NUL-terminated, into buffer (bufferLength bytes,
// truncated to fit) and returns its length in bytes; returns 0 and leaves
// the buffer untouched when there is no label.
extern "C" int32_t lpGetLabelForPropertyInType(int32_t major, int32_t minor, const char* property,
                                               char* buffer, int32_t bufferLength);
