# The sanitizer and fuzz runs as tests of this build, so that one CTest summary
# covers everything.  ./test.sh builds the two other build folders before it runs
# CTest and names them here:
#   KAVRO_ASAN_DIR  a build with -DKAVRO_SANITIZE=ON -DKAVRO_GUI=OFF: each of its
#                   test programs runs whole as the test asan.<program>
#   KAVRO_FUZZ_DIR  a clang build with -DKAVRO_FUZZ=ON: fuzz.<program>.replay runs
#                   every committed input of fuzz/corpus/<program> once,
#                   fuzz.<program>.run fuzzes for KAVRO_FUZZ_SECONDS from there.
# Both empty (the default): no such tests.
set(KAVRO_ASAN_DIR "" CACHE PATH "Sanitizer build whose test programs run as tests of this build")
set(KAVRO_FUZZ_DIR "" CACHE PATH "Fuzz build whose programs run as tests of this build")
set(KAVRO_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzz program runs in its fuzz.<program>.run test")

set(_sanitizer_env
  "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
  "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

if(KAVRO_ASAN_DIR)
  get_property(_programs GLOBAL PROPERTY KAVRO_PLAIN_TEST_PROGRAMS)
  foreach(_program ${_programs})
    add_test(NAME asan.${_program} COMMAND ${KAVRO_ASAN_DIR}/tests/${_program}
             WORKING_DIRECTORY ${KAVRO_ASAN_DIR}/tests)
    set_tests_properties(asan.${_program} PROPERTIES ENVIRONMENT "${_sanitizer_env}" LABELS sanitizer)
  endforeach()
endif()

if(KAVRO_FUZZ_DIR)
  file(GLOB _fuzzers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fuzz/fuzz_*.cpp)
  foreach(_file ${_fuzzers})
    get_filename_component(_name ${_file} NAME_WE)
    set(_run ${PROJECT_SOURCE_DIR}/fuzz/run-fuzzer.sh ${KAVRO_FUZZ_DIR}/bin/${_name}
             ${PROJECT_SOURCE_DIR}/fuzz/corpus/${_name} ${PROJECT_BINARY_DIR}/fuzz-work/${_name})
    add_test(NAME fuzz.${_name}.replay COMMAND ${_run} 0)
    add_test(NAME fuzz.${_name}.run COMMAND ${_run} ${KAVRO_FUZZ_SECONDS})
    set_tests_properties(fuzz.${_name}.replay fuzz.${_name}.run PROPERTIES
                         ENVIRONMENT "${_sanitizer_env}" LABELS fuzz)
    # Two runs of one program share its work folder.
    set_tests_properties(fuzz.${_name}.run PROPERTIES DEPENDS fuzz.${_name}.replay)
    set_tests_properties(fuzz.${_name}.replay fuzz.${_name}.run PROPERTIES RESOURCE_LOCK fuzz.${_name})
  endforeach()
endif()

# The Windows build checked under wine (scripts/check-windows.sh): its unit tests, byte
# identity with this build's kavro-cli and live logging through a COM port.  ./test.sh
# names the folder on CI or with RUN_WINDOWS_TESTS=1; empty (the default): no such test.
set(KAVRO_WINDOWS_DIR "" CACHE PATH "Windows cross build checked under wine as a test of this build")
if(KAVRO_WINDOWS_DIR)
  add_test(NAME windows.check
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-windows.sh ${PROJECT_BINARY_DIR} ${KAVRO_WINDOWS_DIR})
  # Its live part times replies; it runs on its own rather than beside the busiest tests.
  set_tests_properties(windows.check PROPERTIES LABELS windows TIMEOUT 1800 RUN_SERIAL TRUE)
endif()
