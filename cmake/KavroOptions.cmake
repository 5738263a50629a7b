# Compiler settings shared by every target.
#
# Floating-point contraction is off in every build type: a multiply followed by
# an add is never fused, so Debug, Release, sanitizer and vectorised builds all
# produce the same numbers bit for bit.  No -ffast-math anywhere.
add_compile_options(-Wall -Wextra -Wpedantic -ffp-contract=off)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-fno-math-errno)
endif()

if(KAVRO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(KAVRO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KAVRO_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  # Every library the fuzz programs link is built with the fuzzer's coverage
  # instrumentation and the same sanitizers; fuzz/ adds the fuzzer's main itself.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(KAVRO_GUI)
  set(_qt_parts Widgets PrintSupport)
  if(KAVRO_SVG)
    list(APPEND _qt_parts Svg)
  endif()
  find_package(Qt6 6.4 REQUIRED COMPONENTS ${_qt_parts})
endif()

# kavro_program(TARGET): a program of this project.  On Windows it carries the
# manifest that makes UTF-8 its code page (platform/win32/utf8.manifest).
if(WIN32)
  enable_language(RC)
  set(KAVRO_UTF8_MANIFEST ${PROJECT_SOURCE_DIR}/platform/win32/utf8.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/platform/win32/utf8.rc.in ${PROJECT_BINARY_DIR}/utf8.rc @ONLY)
endif()
function(kavro_program target)
  if(WIN32)
    target_sources(${target} PRIVATE ${PROJECT_BINARY_DIR}/utf8.rc)
    set_property(SOURCE ${PROJECT_BINARY_DIR}/utf8.rc APPEND PROPERTY OBJECT_DEPENDS ${KAVRO_UTF8_MANIFEST})
  endif()
endfunction()

# kavro_qt_plugins(TARGET [windows]): the platform plugins a program of a static Qt
# (the Windows build) links in: offscreen for every program that draws without a
# screen, and with "windows" the real window system and its native style.  A shared
# Qt loads its plugins at run time and needs nothing here.
function(kavro_qt_plugins target)
  if(NOT TARGET Qt6::QOffscreenIntegrationPlugin)
    return()
  endif()
  get_target_property(_type Qt6::Core TYPE)
  if(NOT _type STREQUAL "STATIC_LIBRARY")
    return()
  endif()
  set(_plugins Qt6::QOffscreenIntegrationPlugin)
  if("windows" IN_LIST ARGN AND TARGET Qt6::QWindowsIntegrationPlugin)
    list(APPEND _plugins Qt6::QWindowsIntegrationPlugin)
    if(TARGET Qt6::QWindowsVistaStylePlugin)
      list(APPEND _plugins Qt6::QWindowsVistaStylePlugin)
    endif()
  endif()
  qt_import_plugins(${target} INCLUDE ${_plugins})
endfunction()

# kavro_library(NAME folder [DEPS ...]): a static library made of every source
# file of one folder (not its subfolders).
function(kavro_library name)
  cmake_parse_arguments(KL "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER _src INCLUDE REGEX ".*\\.cpp$")
  if(_src)
    file(GLOB _src CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    add_library(${name} STATIC ${_src})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${KL_DEPS})
    if("${KL_DEPS}" MATCHES "Qt6::")
      set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
  else()
    # A folder without sources yet: its headers only.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${KL_DEPS})
  endif()
endfunction()
