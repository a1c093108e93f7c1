# Test helpers shared by every folder under tests/.
find_package(GTest REQUIRED)
include(GoogleTest)

set(LUMIBENCH_TEST_HOME ${CMAKE_BINARY_DIR}/test-home)
file(MAKE_DIRECTORY ${LUMIBENCH_TEST_HOME})

# The corpus of public files lives outside the project, beside the checkout.
# LUMIBENCH_CORPUS set when the tests run wins over this default (see below).
get_filename_component(LUMIBENCH_CORPUS_DEFAULT ${CMAKE_SOURCE_DIR}/../shared/corpus ABSOLUTE)

# Tests never touch the user's own store, data folder or machine config.
set(LUMIBENCH_TEST_ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen"
    "XDG_CONFIG_HOME=${LUMIBENCH_TEST_HOME}/config"
    "XDG_DATA_HOME=${LUMIBENCH_TEST_HOME}/data"
    "LUMIBENCH_SETTINGS=${LUMIBENCH_TEST_HOME}/settings.sqlite3"
    "LUMIBENCH_MACHINE_CONFIG=${LUMIBENCH_TEST_HOME}/machine.ini"
    "LUMIBENCH_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    "LUMIBENCH_BIN_DIR=${CMAKE_BINARY_DIR}/bin"
    "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0"
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

# How long one test case of each label may run before it counts as hung, in
# seconds (the sanitizer build on two cores included), so that a hang fails
# about as fast as a wrong value and names itself. The soak's limit is set
# again when ctest runs, from LUMIBENCH_SOAK_SECONDS (tests/soak).
set(LUMIBENCH_TIMEOUT_unit 30)
set(LUMIBENCH_TIMEOUT_corpus 300)
set(LUMIBENCH_TIMEOUT_gui 120)
set(LUMIBENCH_TIMEOUT_integration 180)
set(LUMIBENCH_TIMEOUT_soak 300)

# The longest limit of `labels` into `out`; an unknown label is a mistake in
# the test's CMakeLists.txt.
function(lumibench_timeout_of_labels labels out)
  set(longest 0)
  foreach(label IN LISTS labels)
    if(NOT DEFINED LUMIBENCH_TIMEOUT_${label})
      message(FATAL_ERROR "test label '${label}' has no time limit (cmake/LumibenchTesting.cmake)")
    endif()
    if(LUMIBENCH_TIMEOUT_${label} GREATER longest)
      set(longest ${LUMIBENCH_TIMEOUT_${label}})
    endif()
  endforeach()
  set(${out} ${longest} PARENT_SCOPE)
endfunction()

# lumibench_add_test(NAME name SOURCES ... LIBRARIES ... LABELS ... [TIMEOUT s])
# One GoogleTest program; its cases are discovered when ctest runs, never at
# build time (the binaries may need a display or the corpus). Each case gets
# the time limit of its labels unless TIMEOUT gives one.
function(lumibench_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBRARIES;LABELS" ${ARGN})
  if(NOT T_LABELS)
    message(FATAL_ERROR "lumibench_add_test(${T_NAME}) needs LABELS")
  endif()
  if(NOT T_TIMEOUT)
    lumibench_timeout_of_labels("${T_LABELS}" T_TIMEOUT)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBRARIES} GTest::gtest GTest::gmock)
  if(NOT T_LIBRARIES MATCHES "lumibench_test_main")
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE LUMIBENCH_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  # gtest_discover_tests mangles list-valued ENVIRONMENT properties, so the
  # environment travels through env(1) as the test executor; discovery then
  # runs with it as well.
  # A shell in front keeps a LUMIBENCH_CORPUS given to ctest, which env(1)
  # alone would overwrite with the default fixed at configure time.
  set_target_properties(${T_NAME} PROPERTIES
    CROSSCOMPILING_EMULATOR
      "/bin/sh;-c;export LUMIBENCH_CORPUS=\"\${LUMIBENCH_CORPUS:-${LUMIBENCH_CORPUS_DEFAULT}}\" && exec \"\$@\";lumibench-test;/usr/bin/env;${LUMIBENCH_TEST_ENVIRONMENT}")
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
endfunction()
