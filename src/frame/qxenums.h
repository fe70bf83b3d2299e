// QXEnums: the class that carries the public enumerations.
#pragma once

#include "frame/variant.h"

namespace qxvb {

Object makeQXEnums();

}  // namespace qxvb
