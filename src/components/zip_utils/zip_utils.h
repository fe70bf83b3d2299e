// QX.NET.Utils.ZipUtils: the product's zip utility class, unpacking an
// archive into a folder with the checks of zip_extract.h; the reason of
// the last failure is in ErrorMessage, empty after a success.
#pragma once

#include <string>

#include "components/zip_utils/zip_extract.h"
#include "frame/dispatch.h"

namespace qxvb::zip {

inline constexpr const char* kZipUtilsProgId = "QX.NET.Utils.ZipUtils";

class ZipUtils : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  // True when every entry was unpacked into targetFolder.
  bool ExtractZipFile(const std::string& zipFile, const std::string& targetFolder);
  const std::string& ErrorMessage() const { return errorMessage_; }

  ExtractLimits limits;

 private:
  std::string errorMessage_;
};

Object makeZipUtils();

}  // namespace qxvb::zip
