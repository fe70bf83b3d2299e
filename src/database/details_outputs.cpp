#include "database/details_outputs.h"

namespace qxvb {

namespace {

void writeBack(CallArgs& args, const DetailsOutputs& out) {
  args.set(1, Variant(out.server));
  args.set(2, Variant(out.user));
  args.set(3, Variant(out.password));
  args.set(4, Variant(out.ency));
  args.set(5, Variant(out.security));
}

}  // namespace

Variant withDetailsOutputs(CallArgs& args, const std::function<Variant(DetailsOutputs&)>& fn) {
  DetailsOutputs out;
  out.server = args.str(1);
  out.user = args.str(2);
  out.password = args.str(3);
  out.ency = args.str(4);
  out.security = args.lng(5);
  Variant result;
  try {
    result = fn(out);
  } catch (...) {
    writeBack(args, out);
    throw;
  }
  writeBack(args, out);
  return result;
}

}  // namespace qxvb
