#include "components/zip_utils/zip_utils.h"

namespace qxvb::zip {

bool ZipUtils::ExtractZipFile(const std::string& zipFile, const std::string& targetFolder) {
  errorMessage_ = extractArchive(zipFile, targetFolder, limits);
  return errorMessage_.empty();
}

const DispatchTable& ZipUtils::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("ZipUtils");
    Members<ZipUtils>(t)
        .method<&ZipUtils::ExtractZipFile>("ExtractZipFile", {in("zipFile"), in("targetFolder")})
        .get<&ZipUtils::ErrorMessage>("ErrorMessage", {})
        .get("MaxExpandedSize", {},
             [](ZipUtils& z, CallArgs&) {
               return Variant(static_cast<double>(z.limits.maxExpandedBytes));
             })
        .put("MaxExpandedSize", {in("Value")},
             [](ZipUtils& z, CallArgs& a) {
               const double bytes = a.dbl(0);
               z.limits.maxExpandedBytes = bytes <= 0      ? 0
                                           : bytes >= 1e18 ? uint64_t{1} << 60
                                                           : static_cast<uint64_t>(bytes);
               return Variant();
             })
        .get("MaxEntries", {},
             [](ZipUtils& z, CallArgs&) {
               return Variant(static_cast<int32_t>(z.limits.maxEntries));
             })
        .put("MaxEntries", {in("Value")}, [](ZipUtils& z, CallArgs& a) {
          const int32_t entries = a.lng(0);
          z.limits.maxEntries = entries > 0 ? static_cast<uint32_t>(entries) : 0;
          return Variant();
        });
    return t;
  }();
  return table;
}

Object makeZipUtils() {
  return std::make_shared<ZipUtils>();
}

}  // namespace qxvb::zip
