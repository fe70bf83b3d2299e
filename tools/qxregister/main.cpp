// qxregister: writes the library's class registration into the registry
// store (HKEY_CLASSES_ROOT), pointing every class at the library file, or
// removes it again with --unregister.
#include <cstring>
#include <iostream>
#include <string>

#include "files/class_registration.h"

namespace {

constexpr const char* kHelp =
    "Usage: qxregister               register the library's classes\n"
    "       qxregister --unregister  remove their registration\n"
    "       qxregister --help\n"
    "\n"
    "The registration lives in HKEY_CLASSES_ROOT of the registry store\n"
    "($QXVB_MACHINE_DIR/registry-hklm.sqlite).\n";

}  // namespace

int main(int argc, char** argv) {
  const bool unregister = argc == 2 && std::strcmp(argv[1], "--unregister") == 0;
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::cout << kHelp;
    return 0;
  }
  if (argc > 2 || (argc == 2 && !unregister)) {
    std::cerr << "qxregister: unknown arguments\n\n" << kHelp;
    return 2;
  }
  const long status = unregister ? qxvb::files::unregisterLibraryFromStore()
                                 : qxvb::files::registerLibraryInStore();
  if (status != 0) {
    std::cerr << "qxregister: the registry store answered error " << status << "\n";
    return 1;
  }
  std::cout << (unregister ? "Unregistered " : "Registered ") << qxvb::files::libraryFile() << "\n";
  return 0;
}
