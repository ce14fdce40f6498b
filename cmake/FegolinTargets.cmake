# Shared compile settings and the test registration helper.

add_library(fegolin_options INTERFACE)
target_compile_options(fegolin_options INTERFACE
  $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast
                                 -Wnon-virtual-dtor -Woverloaded-virtual>
  $<$<AND:$<BOOL:${FEGOLIN_WERROR}>,$<CXX_COMPILER_ID:GNU,Clang>>:-Werror>)
if(FEGOLIN_SANITIZE)
  target_compile_options(fegolin_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(fegolin_options INTERFACE -fsanitize=address,undefined)
endif()

# fegolin_target_defaults(<target>): every target of the project links the
# shared options so warnings and sanitizers apply everywhere alike.
function(fegolin_target_defaults target)
  target_link_libraries(${target} PRIVATE fegolin_options)
endfunction()

# fegolin_target_path(<out> <path>): <path> of the build machine as the
# built programs see it. Programs cross-built for Windows and run under Wine
# reach the build machine's root through drive Z: ('/' still separates, so
# the path can stand in a C string literal).
function(fegolin_target_path out path)
  if(CMAKE_CROSSCOMPILING AND WIN32)
    set(path "Z:${path}")
  endif()
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

# fegolin_add_test(<name> SOURCES ... [LIBS ...] [LABELS ...] [ARGS ...] [QT])
#
# One executable per unit, registered with CTest. Every test runs with its
# own scratch folder as TMPDIR, its own XDG folders and an in-memory hive, so
# a test can never reach the user's real configuration or temp folders.
# QT tests get the offscreen platform and a QApplication from the Qt main.
# BOTH_ENGINES runs the test a second time with the sequential cleaning walk.
function(fegolin_add_test name)
  cmake_parse_arguments(ARG "QT;BOTH_ENGINES" "TIMEOUT" "SOURCES;LIBS;LABELS;ARGS" ${ARGN})
  # Every test has a kind (unit, gui, e2e, bench), so `ctest -L unit` and
  # the like find them all.
  if(NOT ARG_LABELS)
    message(FATAL_ERROR "fegolin_add_test(${name}): LABELS missing")
  endif()
  add_executable(${name} ${ARG_SOURCES})
  fegolin_target_defaults(${name})
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE fegolin_test_support_qt ${ARG_LIBS})
  else()
    target_link_libraries(${name} PRIVATE fegolin_test_support ${ARG_LIBS})
  endif()
  # The versions the build stamps into the program, for tests that read them.
  target_compile_definitions(${name} PRIVATE
    FEGOLIN_FILE_VERSION="${PROJECT_VERSION}"
    FEGOLIN_PRODUCT_VERSION="${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  # Paths as the build machine writes them; under Wine the test support
  # translates them for the program.
  set(scratch "${CMAKE_BINARY_DIR}/test-scratch/${name}")
  # ARGS reach the program's own command line as well (QCoreApplication),
  # e.g. "-ns" for tests that start the main window without its splash.
  add_test(NAME ${name} COMMAND ${name} ${ARG_ARGS})
  set(env
    "TMPDIR=${scratch}/tmp"
    "XDG_CONFIG_HOME=${scratch}/config"
    "XDG_RUNTIME_DIR=${scratch}/run"
    "FEGOLIN_REGISTRY=:memory:"
    "FEGOLIN_TEST_SCRATCH=${scratch}")
  if(ARG_QT)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  if(ARG_BOTH_ENGINES)
    # Tests of the cleaning engine run twice: with four threads sharing each
    # run, whatever the machine, and as <name>Sequential with the plain
    # one-thread walk the engine falls back to.
    set(sequential "${scratch}-sequential")
    add_test(NAME ${name}Sequential COMMAND ${name} ${ARG_ARGS})
    set(sequential_env "${env}")
    list(TRANSFORM sequential_env REPLACE "${scratch}" "${sequential}")
    list(APPEND sequential_env "FEGOLIN_CLEAN_THREADS=1")
    set_tests_properties(${name}Sequential PROPERTIES
      ENVIRONMENT "${sequential_env}"
      LABELS "${ARG_LABELS}"
      TIMEOUT ${ARG_TIMEOUT})
    list(APPEND env "FEGOLIN_CLEAN_THREADS=4")
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${env}"
    LABELS "${ARG_LABELS}"
    TIMEOUT ${ARG_TIMEOUT})
endfunction()
