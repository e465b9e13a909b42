# Delay-load libraries for the system DLLs that are not on Windows' list of
# known DLLs. The loader resolves a program's static imports before main by
# searching the program's own folder first, so a DLL of the same name planted
# beside the updater would be loaded; delay-loaded, they are loaded at first
# use, after the program has restricted the search (base/dll_search.h).
#
# arkenfel_delay_imports(<dll> ...) makes an imported library <dll>_delayed for
# each DLL base name, with every function the toolchain's import library
# lib<dll>.a exports, built by dlltool --output-delaylib.
function(arkenfel_delay_imports)
  foreach(dll ${ARGN})
    find_library(_import_${dll} NAMES lib${dll}.a REQUIRED)
    set(_archive ${CMAKE_BINARY_DIR}/delay-imports/lib${dll}_delayed.a)
    add_custom_command(OUTPUT ${_archive}
      COMMAND ${CMAKE_COMMAND} -DDLL=${dll} -DIMPORT_LIBRARY=${_import_${dll}} -DOUTPUT=${_archive}
              -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL} -DARCH=${CMAKE_SYSTEM_PROCESSOR}
              -P ${CMAKE_SOURCE_DIR}/cmake/make_delay_library.cmake
      DEPENDS ${CMAKE_SOURCE_DIR}/cmake/make_delay_library.cmake ${_import_${dll}}
      COMMENT "Delay-load library for ${dll}.dll")
    add_custom_target(${dll}_delayed_archive DEPENDS ${_archive})
    add_library(${dll}_delayed STATIC IMPORTED GLOBAL)
    set_target_properties(${dll}_delayed PROPERTIES IMPORTED_LOCATION ${_archive})
    add_dependencies(${dll}_delayed ${dll}_delayed_archive)
  endforeach()
endfunction()
