# Delay-loaded imports for the setup program. The loader resolves ordinary imports before
# the entry point runs, searching the executable's own folder first, and a setup is often
# started from a Downloads folder that holds whatever else was downloaded. Libraries that
# are not among the system's known DLLs are therefore bound late, on first call, when the
# entry point has already limited the search to the system folder.
#
# GNU ld has no /DELAYLOAD; dlltool makes a delay-import library instead, from a .def
# listing every export of the toolchain's import library (mingw's own __delayLoadHelper2
# loads the library and resolves the names). ld drops an import member's jump stub when
# the code only calls through __imp_ (every dllimport declaration does), which would leave
# the delayed slot pointing at address 0; a response file of -u options keeps every stub.
function(vexmora_delay_load target)
  set(out ${CMAKE_BINARY_DIR}/delayload)
  file(MAKE_DIRECTORY ${out})
  foreach(dll IN LISTS ARGN)
    find_library(import_${dll} NAMES lib${dll}.a REQUIRED NO_CACHE)
    execute_process(COMMAND ${CMAKE_NM} ${import_${dll}} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "I __imp__[^\n]+" imports "${symbols}")
    list(TRANSFORM imports REPLACE "^I __imp__" "")
    list(REMOVE_DUPLICATES imports)
    list(JOIN imports "\n" exports)
    file(WRITE ${out}/${dll}.def "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
    list(TRANSFORM imports PREPEND "-Wl,-u,_")
    list(JOIN imports "\n" keep)
    file(WRITE ${out}/${dll}-keep.rsp "${keep}\n")
    set(lib ${out}/libdelay_${dll}.a)
    add_custom_command(OUTPUT ${lib}
      COMMAND ${CMAKE_DLLTOOL} -d ${out}/${dll}.def -D ${dll}.dll -k -y ${lib}
      DEPENDS ${out}/${dll}.def VERBATIM)
    add_custom_target(delay_${dll} DEPENDS ${lib})
    add_dependencies(${target} delay_${dll})
    # Ahead of the ordinary import libraries, so that the delayed thunks win.
    target_link_libraries(${target} PRIVATE ${lib})
    target_link_options(${target} PRIVATE @${out}/${dll}-keep.rsp)
  endforeach()
endfunction()
