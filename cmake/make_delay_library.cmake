# Writes OUTPUT, a delay-load library for DLL (a base name such as "version"):
# a module definition listing every function IMPORT_LIBRARY exports, turned
# into a delay-import archive by DLLTOOL. ARCH i686 keeps the stdcall
# decoration in the definition and lets dlltool strip it from the names the
# DLL is asked for.
execute_process(COMMAND ${NM} -g --defined-only ${IMPORT_LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE nm_result ERROR_QUIET)
if(NOT nm_result EQUAL 0)
  message(FATAL_ERROR "${NM} cannot read ${IMPORT_LIBRARY}")
endif()
string(REGEX MATCHALL "[0-9a-fA-F]+ T [^\n]+" code_symbols "${symbols}")
set(exports "")
foreach(line ${code_symbols})
  string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" name "${line}")
  if(ARCH STREQUAL "i686")
    string(REGEX REPLACE "^_" "" name "${name}")
  endif()
  list(APPEND exports "${name}")
endforeach()
list(REMOVE_DUPLICATES exports)
list(LENGTH exports count)
if(count EQUAL 0)
  message(FATAL_ERROR "${IMPORT_LIBRARY} exports no functions")
endif()
string(REPLACE ";" "\n  " body "${exports}")
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
set(definition "${folder}/${DLL}_delayed.def")
string(TOUPPER "${DLL}" upper)
file(WRITE "${definition}" "LIBRARY ${upper}.dll\nEXPORTS\n  ${body}\n")
set(kill_at "")
if(ARCH STREQUAL "i686")
  set(kill_at --kill-at)
endif()
execute_process(COMMAND ${DLLTOOL} ${kill_at} --def ${definition} --output-delaylib ${OUTPUT}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${DLLTOOL} could not make ${OUTPUT}")
endif()
