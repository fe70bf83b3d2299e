# Installation in the places the FHS gives each kind of file, split into the
# components the Debian packages are made of (cmake/packaging.cmake):
#   library      the shared library and the string table
#   development  the automation frame's headers, the unversioned library
#                link, the CMake package and the pkg-config file
#   tools        every program of tools/ and the man pages
#   python       the Python package qxvbutils
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QXVB_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/qxvbutils)
set(QXVB_CMAKE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/QXVBUtils)
set(QXVB_PYTHON_INSTALL_DIR lib/python3/dist-packages
    CACHE STRING "Where the Python package is installed, below the prefix")

set_target_properties(QXVBUtils PROPERTIES
  VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
install(TARGETS QXVBUtils
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library NAMELINK_SKIP)
install(TARGETS QXVBUtils
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development NAMELINK_ONLY)
install(FILES ${PROJECT_SOURCE_DIR}/data/stringtable/qxxres-strings.txt
              ${PROJECT_SOURCE_DIR}/data/stringtable/merrin-labels.txt
  DESTINATION ${QXVB_DATA_INSTALL_DIR} COMPONENT library)

# The string table and the labels are read from the data folder when the
# library's folder holds none; the library finds it from its own folder, so
# an installed tree may move.
file(RELATIVE_PATH QXVB_DATA_FROM_LIBRARY ${CMAKE_INSTALL_FULL_LIBDIR}
     ${CMAKE_INSTALL_PREFIX}/${QXVB_DATA_INSTALL_DIR})
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/frame/module_state.cpp
  DIRECTORY ${PROJECT_SOURCE_DIR}/src
  PROPERTIES COMPILE_DEFINITIONS QXVB_DATA_FROM_LIBRARY="${QXVB_DATA_FROM_LIBRARY}")

# A caller of the library needs the automation frame only: Variants, late
# binding, the catalogue, events, errors.
file(GLOB frame_headers ${PROJECT_SOURCE_DIR}/src/frame/*.h)
install(FILES ${frame_headers}
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qxvbutils/frame COMPONENT development)

get_property(QXVB_INSTALLED_TOOLS GLOBAL PROPERTY QXVB_TOOLS)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QXVBUtilsConfig.cmake.in
  ${CMAKE_BINARY_DIR}/packaging/QXVBUtilsConfig.cmake
  INSTALL_DESTINATION ${QXVB_CMAKE_INSTALL_DIR}
  PATH_VARS CMAKE_INSTALL_LIBDIR CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/packaging/QXVBUtilsConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/packaging/QXVBUtilsConfig.cmake
              ${CMAKE_BINARY_DIR}/packaging/QXVBUtilsConfigVersion.cmake
  DESTINATION ${QXVB_CMAKE_INSTALL_DIR} COMPONENT development)
configure_file(${PROJECT_SOURCE_DIR}/cmake/qxvbutils.pc.in
  ${CMAKE_BINARY_DIR}/packaging/qxvbutils.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/qxvbutils.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

install(TARGETS ${QXVB_INSTALLED_TOOLS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
# Man pages, compressed as Debian keeps them.
file(GLOB man_pages ${PROJECT_SOURCE_DIR}/docs/man/*.1)
foreach(page ${man_pages})
  get_filename_component(name ${page} NAME)
  set(packed ${CMAKE_BINARY_DIR}/packaging/man/${name}.gz)
  add_custom_command(OUTPUT ${packed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/man
    COMMAND gzip -9nc ${page} > ${packed}
    DEPENDS ${page})
  list(APPEND packed_pages ${packed})
endforeach()
add_custom_target(qxvb_man_pages ALL DEPENDS ${packed_pages})
install(FILES ${packed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tools)

if(QXVB_PYTHON)
  install(TARGETS qxvbutils_native
    LIBRARY DESTINATION ${QXVB_PYTHON_INSTALL_DIR}/qxvbutils COMPONENT python)
  install(FILES ${CMAKE_BINARY_DIR}/python/qxvbutils/__init__.py
                ${CMAKE_BINARY_DIR}/python/qxvbutils/__init__.pyi
                ${CMAKE_BINARY_DIR}/python/qxvbutils/py.typed
    DESTINATION ${QXVB_PYTHON_INSTALL_DIR}/qxvbutils COMPONENT python)
endif()
