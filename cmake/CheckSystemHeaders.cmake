# Every operating-system call lives in platform/posix/ or platform/win32/: no other
# file includes a system header of POSIX or Windows.  Run as the test
# seam.system_headers:  cmake -DSOURCE_DIR=<tree> -P cmake/CheckSystemHeaders.cmake
# It names each file that breaks the rule, with the header, and fails.

set(_headers "unistd\\.h|fcntl\\.h|sys/[^>]*|termios\\.h|signal\\.h|csignal|poll\\.h|pty\\.h|pwd\\.h|grp\\.h|dirent\\.h|dlfcn\\.h|io\\.h|windows\\.h|winsock2\\.h")
set(_include_regex "^[ \t]*#[ \t]*include[ \t]*<(${_headers})>")

# Files that may include them, each with its reason.  Tests listed here test what
# only POSIX has (fork, signals, pseudo-terminals, mounts, file size limits).
set(_allowed
  "tests/support/ChildProcess.cpp|runs a test body in a child process, mounts a small tmpfs, drops privileges"
  "tests/support/TestFiles.cpp|sets a file size limit (RLIMIT_FSIZE) for write-failure tests"
  "tests/core/CalibrationFaultTest.cpp|unreadable files and folders by permission bits"
  "tests/platform/PosixSerialLinkTest.cpp|the termios link against pseudo-terminals"
  "tests/platform/ProfileFaultTest.cpp|unreadable and unwritable profiles by permission bits"
  "tests/platform/NumTextTest.cpp|a named pipe and descriptors closed with close() (POSIX only)"
  "tests/tools/CliRun.cpp|runs kavro-cli as a child process and reads its exit status"
  "tests/tools/CliProcessTest.cpp|stops kavro-cli with signals"
  "tests/tools/CliCruiseTest.cpp|permission bits of written files"
  "tests/tools/CmdBackgroundTest.cpp|runs kavro-cli as a child process"
  "tests/tools/LiveAcquisitionTest.cpp|live acquisition through a pseudo-terminal, stopped by signals"
  "tests/tools/InstrumentSimulatorTest.cpp|the simulator on a pseudo-terminal"
)
set(_allowed_files "")
foreach(_entry ${_allowed})
  string(REGEX REPLACE "\\|.*$" "" _file "${_entry}")
  list(APPEND _allowed_files "${_file}")
endforeach()

set(_folders acquisition app auxiliary background bench core fuzz platform plots products resources sim tests tools)
set(_sources "")
foreach(_folder ${_folders})
  file(GLOB_RECURSE _found RELATIVE "${SOURCE_DIR}"
       "${SOURCE_DIR}/${_folder}/*.cpp" "${SOURCE_DIR}/${_folder}/*.h" "${SOURCE_DIR}/${_folder}/*.hpp")
  list(APPEND _sources ${_found})
endforeach()

set(_broken "")
foreach(_file ${_sources})
  if(_file MATCHES "^platform/(posix|win32)/")
    continue()
  endif()
  list(FIND _allowed_files "${_file}" _listed)
  if(NOT _listed EQUAL -1)
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${_file}" _lines REGEX "${_include_regex}")
  foreach(_line ${_lines})
    string(STRIP "${_line}" _line)
    list(APPEND _broken "${_file}: ${_line}")
  endforeach()
endforeach()

if(_broken)
  list(JOIN _broken "\n  " _text)
  message(FATAL_ERROR "System headers outside platform/posix and platform/win32 (call the "
                      "platform/ layer instead):\n  ${_text}")
endif()
list(LENGTH _sources _count)
message(STATUS "seam.system_headers: ${_count} files checked")
