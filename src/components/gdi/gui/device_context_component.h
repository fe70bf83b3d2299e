// The device-context component for scripts (ProgID QXGdi.DeviceContext).
// No Qt in this header: the composition root lists it.
#pragma once

#include "frame/dispatch.h"

namespace qxvb::gdi {

inline constexpr const char* kDeviceContextProgId = "QXGdi.DeviceContext";
Object makeDeviceContextComponent();

}  // namespace qxvb::gdi
