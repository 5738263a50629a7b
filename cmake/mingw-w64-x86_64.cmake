# Cross-building for 64-bit Windows with Debian's mingw-w64 (the POSIX-threads
# flavour, which gives std::thread and std::mutex).  Used by scripts/build-windows.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)

# Libraries and headers of the target come from the mingw sysroot only; programs
# (the build's own tools) from the build machine.  Header-only libraries of the
# build machine (CLI11) are found through their own hints.
# Libraries built for Windows by this project's scripts (scripts/build-netcdf-windows.sh)
# live in prefixes of their own, named in CMAKE_PREFIX_PATH: those are roots too.
set(CMAKE_FIND_ROOT_PATH /usr/${_mingw} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees the target's .pc files only (those of CMAKE_PREFIX_PATH, which CMake
# adds), never the build machine's, and gives the static link lines.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${_mingw}/lib/pkgconfig)
set(PKG_CONFIG_ARGN --static)

# Everything linked in: the program runs on a plain Windows 10 with no DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under wine when CTest runs them.
find_program(KAVRO_WINE wine)
if(KAVRO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KAVRO_WINE})
endif()
