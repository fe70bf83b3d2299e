#include "frame/qxutilities.h"

namespace qxvb {

void addTextMembers(Members<QXUtilities>& members) {
  (void)members;
}

}  // namespace qxvb
