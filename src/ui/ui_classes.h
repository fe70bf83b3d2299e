// Factories of the library classes the graphical module implements, for
// the class lists of the composition root (no Qt in this header).
#pragma once

#include "frame/dispatch.h"

namespace qxvb {

Object makeQX_Progress();
Object makeQX_clsMinMaxFlickerFreeForm();

}  // namespace qxvb
