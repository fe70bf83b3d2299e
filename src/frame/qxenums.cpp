// QXEnums carries the public enumerations; it has no members of its own.
#include "frame/qxenums.h"

#include <memory>

#include "frame/dispatch.h"

namespace qxvb {

namespace {
class QXEnums : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override {
    static const DispatchTable table("QXEnums");
    return table;
  }
};
}  // namespace

Object makeQXEnums() {
  return std::make_shared<QXEnums>();
}

}  // namespace qxvb
