# The module graph, checked by the compiler.
#
# Each folder of src/ is a module with its own target. A module's sources
# see only an include tree of their own module and of the modules it
# states it may use: every module gets a folder of symbolic links to its
# headers in the build tree (<build>/modules/<module>/<module>/...), and
# src/ itself is never on the include path. An include of a module that is
# not stated fails to compile ("No such file or directory").
#
# A module states the modules it uses directly; it also sees what those
# see (their headers include it), so the lists stay short and the graph
# they draw (docs/ARCHITECTURE.md) keeps only direct arrows.

set(QXVB_MODULE_INCLUDE_ROOT ${CMAKE_BINARY_DIR}/modules)

# Fills <root>/<name> with links to the given headers (paths relative to
# src/), after dropping links left from an earlier configure.
function(qxvb_link_headers name)
  set(tree ${QXVB_MODULE_INCLUDE_ROOT}/${name})
  file(REMOVE_RECURSE ${tree})
  foreach(header ${ARGN})
    get_filename_component(folder ${tree}/${header} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${header} ${tree}/${header} SYMBOLIC)
  endforeach()
endfunction()

# Files of a folder below src/, paths relative to src/; new files are picked
# up by the next build (CONFIGURE_DEPENDS).
function(qxvb_glob out)
  set(files "")
  foreach(pattern ${ARGN})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/src
         ${PROJECT_SOURCE_DIR}/src/${pattern})
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# qxvb_module(<name> [USES <module>...] [GUI])
#   A non-graphical module: src/<name>/ except its gui/ folders.
#   GUI: the graphical module, src/ui, src/diagram and every gui/ folder.
function(qxvb_module name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "GUI" "" "USES")
  if(arg_GUI)
    qxvb_glob(all *.cpp *.c *.h)
    list(FILTER all INCLUDE REGEX "^(ui|diagram)/|/gui/")
  else()
    qxvb_glob(all ${name}/*.cpp ${name}/*.c ${name}/*.h)
    list(FILTER all EXCLUDE REGEX "(^|/)gui/")
  endif()
  set(headers ${all})
  list(FILTER headers INCLUDE REGEX "\\.h$")
  set(sources ${all})
  list(FILTER sources EXCLUDE REGEX "\\.h$")
  list(TRANSFORM sources PREPEND ${PROJECT_SOURCE_DIR}/src/)
  qxvb_link_headers(${name} ${headers})

  # A module sees what the modules it uses see.
  set(visible ${arg_USES})
  get_property(declared GLOBAL PROPERTY QXVB_MODULES)
  foreach(used ${arg_USES})
    if(NOT used IN_LIST declared)
      message(FATAL_ERROR "module ${name}: unknown module ${used} (declare modules bottom up)")
    endif()
    get_property(indirect GLOBAL PROPERTY QXVB_MODULE_SEES_${used})
    list(APPEND visible ${indirect})
  endforeach()
  list(REMOVE_DUPLICATES visible)
  set_property(GLOBAL PROPERTY QXVB_MODULE_SEES_${name} ${visible})
  set_property(GLOBAL APPEND PROPERTY QXVB_MODULES ${name})
  set_property(GLOBAL PROPERTY QXVB_MODULE_USES_${name} ${arg_USES})

  set(trees ${QXVB_MODULE_INCLUDE_ROOT}/${name})
  foreach(used ${visible})
    list(APPEND trees ${QXVB_MODULE_INCLUDE_ROOT}/${used})
  endforeach()
  if(sources)
    add_library(qxvb_${name} OBJECT ${sources})
    target_include_directories(qxvb_${name} PRIVATE ${trees})
    target_link_libraries(qxvb_${name} PRIVATE qxvb_system_libraries)
    if(arg_GUI)
      target_link_libraries(qxvb_${name} PRIVATE qxvb_gui_libraries)
    endif()
  else()
    # Headers only: a target all the same, so the graph shows it.
    add_library(qxvb_${name} INTERFACE)
  endif()
  # The stated arrows, for the graph (cmake --graphviz) and for whoever links
  # a module; an interface link orders nothing, so modules build in parallel.
  foreach(used ${arg_USES})
    target_link_libraries(qxvb_${name} INTERFACE qxvb_${used})
  endforeach()
endfunction()

# Writes the module graph as a Mermaid flowchart, one arrow per stated use
# (scripts/module_graph.sh puts it into docs/ARCHITECTURE.md).
function(qxvb_write_module_graph file)
  set(text "flowchart BT\n")
  get_property(modules GLOBAL PROPERTY QXVB_MODULES)
  foreach(module ${modules})
    get_property(uses GLOBAL PROPERTY QXVB_MODULE_USES_${module})
    if(NOT uses)
      string(APPEND text "  ${module}\n")
    endif()
    foreach(used ${uses})
      string(APPEND text "  ${module} --> ${used}\n")
    endforeach()
  endforeach()
  file(WRITE ${file} "${text}")
endfunction()
