// Members a class gains from a module built apart from it: the graphical
// module adds its picture members to classes of the non-graphical ones,
// which cannot refer to Qt code themselves.
#pragma once

#include <string_view>

#include "frame/dispatch.h"

namespace qxvb {

using MemberExtension = void (*)(DispatchTable& table);

// Registers ext for the class; call it during static initialisation, before
// the class's table is first built.
bool addMemberExtension(std::string_view className, MemberExtension ext);

// Runs every extension registered for the class; each class calls this at
// the end of building its table.
void applyMemberExtensions(std::string_view className, DispatchTable& table);

}  // namespace qxvb
