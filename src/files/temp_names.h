// Names of temporary files and folders. Files that must be new are
// created with O_EXCL, so two processes never take the same name.
#pragma once

#include <cstdint>
#include <string>

namespace qxvb::files {

// The platform's temporary-file rule: folder, a separator when missing, at
// most three characters of prefix, the low 16 bits of unique in upper-case
// hexadecimal, ".tmp". A unique number whose low 16 bits are 0 picks a free
// number and creates the empty file; any other only forms the name. Empty
// when no file could be created or the name does not fit 500 characters.
std::string platformTempFile(const std::string& folder, const std::string& prefix, int32_t unique);

// path (a separator added when missing) + prefix + unique in upper-case
// hexadecimal + "." + extension. Nothing is created or tested.
std::string tempFileExtName(const std::string& path, const std::string& prefix, uint32_t unique,
                            const std::string& extension);

// Creates an empty file named as tempFileExtName with a random number from
// 0 to 4095, trying at most 1000 numbers; empty when every name was taken.
// A failure to create (for example a missing folder) raises the
// file-system error.
std::string createTempFileExt(const std::string& path, const std::string& prefix,
                              const std::string& extension);

// A folder base + name, or, with ensureUnique, the first of base + name and
// base + name + "_" + a random hexadecimal suffix that this call could
// create, trying at most 1000 names. Without ensureUnique an existing
// folder is taken as it is. Empty when none was taken or the name is empty
// or holds a "." or ".." level. base ends in a separator.
std::string createTempFolder(const std::string& base, const std::string& name, bool ensureUnique);

// Upper-case hexadecimal without leading zeros.
std::string hexText(uint32_t number);

// Whether folder lies below base (not base itself, nor above it), judged
// on the names alone.
bool strictlyBelow(const std::string& folder, const std::string& base);

}  // namespace qxvb::files
