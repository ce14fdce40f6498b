# fegolin_add_e2e_test(<name> SOURCES ... [LIBS ...] [PROGRAMS <target>...] [TIMEOUT <s>])
#
# An end-to-end test: a GoogleTest executable that runs real programs in a
# DesktopSession (tests/support/DesktopSession.h), on Xvfb with trayer as the
# notification area. It gets the same scratch folders and in-memory hive as
# every other test; its programs get the session's own ones. The platform
# stays the real one (xcb), not offscreen.
#
# Every target named in PROGRAMS is built first, and its path reaches the
# test as FEGOLIN_PROGRAM_<TARGET> (upper case), e.g. FEGOLIN_PROGRAM_FEGOLIN.
#
# The tests carry the label e2e, and share one lock: two X servers with their
# programs would fight over the machine's few cores and make each other's
# waits run out.
function(fegolin_add_e2e_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;PROGRAMS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  fegolin_target_defaults(${name})
  target_link_libraries(${name} PRIVATE fegolin_test_desktop fegolin_test_support ${ARG_LIBS})
  foreach(program IN LISTS ARG_PROGRAMS)
    add_dependencies(${name} ${program})
    string(MAKE_C_IDENTIFIER "${program}" macro)
    string(TOUPPER "${macro}" macro)
    target_compile_definitions(${name} PRIVATE "FEGOLIN_PROGRAM_${macro}=\"$<TARGET_FILE:${program}>\"")
  endforeach()
  set(scratch "${CMAKE_BINARY_DIR}/test-scratch/${name}")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "TMPDIR=${scratch}/tmp;XDG_CONFIG_HOME=${scratch}/config;XDG_RUNTIME_DIR=${scratch}/run;FEGOLIN_REGISTRY=:memory:;FEGOLIN_TEST_SCRATCH=${scratch}"
    LABELS e2e
    RESOURCE_LOCK fegolin_desktop
    TIMEOUT ${ARG_TIMEOUT})
endfunction()
