// The by-reference outputs server, user, password, encyclopedia and
// security mode that two members of QX_ADO_Utilities pass back, as
// arguments 1 to 5 of a late-bound call.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "frame/dispatch.h"

namespace qxvb {

struct DetailsOutputs {
  std::string server;
  std::string user;
  std::string password;
  std::string ency;
  int32_t security = 0;
};

// Reads the outputs' current values from the arguments, runs fn, and
// writes the outputs back, also when fn fails part way (outputs already
// set stay set, as for any by-reference argument).
Variant withDetailsOutputs(CallArgs& args, const std::function<Variant(DetailsOutputs&)>& fn);

}  // namespace qxvb
