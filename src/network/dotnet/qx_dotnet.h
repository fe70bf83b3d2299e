// QX_DotNet: which versions of the .NET Framework the machine's registry
// lists, the latest of them, and where a version's framework folder lies.
// It keeps no state.
#pragma once

#include <memory>
#include <string>

#include "frame/collection.h"
#include "frame/dispatch.h"

namespace qxvb {

inline constexpr std::string_view kLatestDotNetVersion = "Defaults To Latest Version";

class QX_DotNet : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  bool QX_DN_IsDotNetInstalled();
  // Version texts such as "2.0.50727", in registry order, without keys.
  std::shared_ptr<Collection> QX_DN_GetDotNetVersionsAll();
  std::string QX_DN_GetDotNetVersionLatest();
  // "" when the folder does not exist.
  std::string QX_DN_GetDotNetFrameworkPath(
      const std::string& v_strVersion = std::string(kLatestDotNetVersion));
};

Object makeQX_DotNet();

}  // namespace qxvb
