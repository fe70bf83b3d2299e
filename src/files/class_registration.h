// The class registration of automation servers in the registry store:
// HKEY_CLASSES_ROOT\<ProgID>\CLSID names the class identifier, and
// HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32 (or LocalServer32) names the
// file that serves it. The library registers its own classes there when it
// is installed, so callers can find its folder by ProgID.
#pragma once

#include <string>

namespace qxvb::files {

// The registered server file of a ProgID (LocalServer32 first, then
// InprocServer32), as stored; empty when the ProgID or its class is not
// registered.
std::string registeredServer(const std::string& progId);

// The folder of the registered server of a ProgID: the stored value up to
// and including its last separator; empty when not registered or when
// the value holds no separator.
std::string registeredServerFolder(const std::string& progId);

// The library file the registration points at.
std::string libraryFile();

// Writes (or removes) the registration of every class of the library,
// all in one transaction. Answers the registry store's error code, 0 on
// success.
long registerLibraryInStore();
long unregisterLibraryFromStore();

}  // namespace qxvb::files
