# Debian packages of the installed components (cmake/install.cmake), made by
# "cpack -G DEB" in the build folder:
#   libqxvbutils0       the shared library and the string table
#   libqxvbutils-dev    headers, CMake package, pkg-config file
#   qxvbutils-tools     qxcall, qxrepo, qxreg, qxregister, ... with man pages
#   python3-qxvbutils   the Python package for Debian's python3
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qxvbutils)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Brackwell")
set(CPACK_PACKAGE_CONTACT "QXVBUtils maintainers <qxvbutils@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "utility library of the data-modelling product")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
# Dependencies on Debian's libraries come from the binaries themselves;
# those among the packages come from the components' dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_GENERATE_SHLIBS ON)

set(CPACK_COMPONENTS_ALL library development tools)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libqxvbutils${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libqxvbutils-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME qxvbutils-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
if(QXVB_PYTHON)
  list(APPEND CPACK_COMPONENTS_ALL python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-qxvbutils)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  # The native module is built for this interpreter's minor version.
  string(REPLACE "." ";" python_version "${QXVB_PYTHON_VERSION}")
  list(GET python_version 0 python_major)
  list(GET python_version 1 python_minor)
  math(EXPR python_next "${python_minor} + 1")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
      "python3 (>= ${python_major}.${python_minor}~), python3 (<< ${python_major}.${python_next})")
endif()

set(CPACK_COMPONENT_LIBRARY_DESCRIPTION
    "The library's automation classes, created by ProgID and called late-bound, with the product string table.")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "Headers of the automation frame, the CMake package (find_package(QXVBUtils)) and the pkg-config file.")
set(CPACK_COMPONENT_TOOLS_DESCRIPTION
    "qxcall (the command-line automation client), qxrepo (repositories and their file store), qxreg (the registry store) and qxregister (class registration), with man pages.")
set(CPACK_COMPONENT_PYTHON_DESCRIPTION
    "The Python package qxvbutils: library classes created by ProgID and called late-bound from Python.")

include(CPack)
cpack_add_component(library DISPLAY_NAME "QXVBUtils library" REQUIRED)
cpack_add_component(development DISPLAY_NAME "QXVBUtils development files" DEPENDS library)
cpack_add_component(tools DISPLAY_NAME "QXVBUtils command-line tools" DEPENDS library)
cpack_add_component(python DISPLAY_NAME "QXVBUtils for Python" DEPENDS library)

# The packages checked as a fresh machine meets them (needs a built tree).
if(QXVB_TESTS AND QXVB_PYTHON AND NOT QXVB_SANITIZE)
  add_test(NAME packages
           COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/package-test.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(packages PROPERTIES TIMEOUT 900)
endif()
