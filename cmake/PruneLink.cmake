# vexmora_prune_link(<target>...): links each target through cmake/prune_link.py, which
# drops the functions that only their unwind tables kept (GNU ld keeps every .pdata and
# .xdata section, and with them every function that has unwind tables). The script says
# how, and checks what the final link keeps before it accepts it. The unit-test programs
# are linked the same way, so their exceptions, thrown and caught across the library,
# exercise the unwind tables such a link leaves.
function(vexmora_prune_link)
  foreach(target IN LISTS ARGN)
    set_property(TARGET ${target} PROPERTY RULE_LAUNCH_LINK
      "/usr/bin/python3 ${CMAKE_SOURCE_DIR}/cmake/prune_link.py --work ${CMAKE_CURRENT_BINARY_DIR}/prune/${target} --")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
      ${CMAKE_SOURCE_DIR}/cmake/prune_link.py)
  endforeach()
endfunction()
