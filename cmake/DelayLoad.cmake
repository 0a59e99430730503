# Delay-loaded imports for the setup program. The loader resolves ordinary imports before
# the entry point runs, searching the executable's own folder first, and a setup is often
# started from a Downloads folder that holds whatever else was downloaded. Libraries that
# are not among the system's known DLLs are therefore bound late, on first call, when the
# entry point has already limited the search to the system folder.
#
# GNU ld has no /DELAYLOAD; dlltool makes a delay-import library instead, from a .def
# listing every export of the toolchain's import library (mingw's own __delayLoadHelper2
# loads the library and resolves the names). ld drops an import member's jump stub when
# the code only calls through __imp_ (every dllimport declaration does), and the delayed
# slot is left pointing at address 0. The stubs of the functions the program calls are
# kept with -u options: a probe, the same program linked without them, names those
# functions in its delay-import tables (cmake/delay_imports.py keep). After the link,
# cmake/delay_imports.py check fails the build if any delayed slot is still unbound.
#
# vexmora_delay_load(<target> CODE <object library> DLLS <dll>...): called once <target>
# links the object library <object library> (its code, without resources) and the other
# libraries it needs; the probe links the same.
function(vexmora_delay_load target)
  cmake_parse_arguments(PARSE_ARGV 1 delay "" "CODE" "DLLS")
  set(out ${CMAKE_BINARY_DIR}/delayload)
  set(script ${CMAKE_SOURCE_DIR}/cmake/delay_imports.py)
  file(MAKE_DIRECTORY ${out})
  set(probe ${target}_delay_probe)
  add_executable(${probe} EXCLUDE_FROM_ALL WIN32)
  get_target_property(libraries ${target} LINK_LIBRARIES)
  list(FILTER libraries EXCLUDE REGEX "^${delay_CODE}$")
  target_link_libraries(${probe} PRIVATE ${delay_CODE} ${libraries})
  set_target_properties(${probe} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${out})
  set(defs)
  foreach(dll IN LISTS delay_DLLS)
    find_library(import_${dll} NAMES lib${dll}.a REQUIRED NO_CACHE)
    execute_process(COMMAND ${CMAKE_NM} ${import_${dll}} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    # x86-64 import symbols are __imp_ and the export's name, undecorated.
    string(REGEX MATCHALL "I __imp_[^\n]+" imports "${symbols}")
    list(TRANSFORM imports REPLACE "^I __imp_" "")
    # Interface and library ids some import libraries list (oleacc's IID_IAccessible) are
    # data, which a delayed import cannot carry; libuuid defines them in the program.
    list(FILTER imports EXCLUDE REGEX "^(IID|DIID|CLSID|LIBID)_")
    list(REMOVE_DUPLICATES imports)
    list(JOIN imports "\n" exports)
    file(CONFIGURE OUTPUT ${out}/${dll}.def CONTENT "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
    list(APPEND defs ${out}/${dll}.def)
    set(lib ${out}/libdelay_${dll}.a)
    add_custom_command(OUTPUT ${lib}
      COMMAND ${CMAKE_DLLTOOL} -d ${out}/${dll}.def -D ${dll}.dll -k -y ${lib}
      DEPENDS ${out}/${dll}.def VERBATIM)
    add_custom_target(delay_${dll} DEPENDS ${lib})
    # Ahead of the ordinary import libraries, so that the delayed thunks win.
    foreach(linked IN ITEMS ${target} ${probe})
      add_dependencies(${linked} delay_${dll})
      target_link_libraries(${linked} PRIVATE ${lib})
    endforeach()
  endforeach()

  set(keep ${out}/${target}-keep.rsp)
  add_custom_command(OUTPUT ${keep}
    COMMAND /usr/bin/python3 ${script} keep --nm ${CMAKE_NM} --exe $<TARGET_FILE:${probe}> --def ${defs} --out ${keep}
    DEPENDS ${probe} ${script}
    COMMENT "Listing the late-bound functions of ${target}"
    VERBATIM)
  add_custom_target(${target}_delay_keep DEPENDS ${keep})
  add_dependencies(${target} ${target}_delay_keep)
  target_link_options(${target} PRIVATE @${keep})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${keep})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND /usr/bin/python3 ${script} check --nm ${CMAKE_NM} --exe $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
