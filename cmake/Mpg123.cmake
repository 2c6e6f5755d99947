# The MPEG audio decoder library, as target mpg123::mpg123.
#
# Natively the system's libmpg123 (Debian's libmpg123-dev). For Windows, and
# for the fuzz build (so libFuzzer sees inside the decoder), libmpg123 is
# built here as a static library from Debian's source package, which
# scripts/setup fetches, checks and unpacks to MPG123_SOURCE_DIR; the build
# uses this project's toolchain and compiler flags.

if(DEFINED ENV{CORVANE_DEPS})
  set(_mpg123_deps "$ENV{CORVANE_DEPS}")
else()
  set(_mpg123_deps "$ENV{HOME}/.cache/corvane-deps")
endif()
set(MPG123_SOURCE_DIR "${_mpg123_deps}/mpg123-1.31.2" CACHE PATH
    "Unpacked mpg123 source package (scripts/setup puts it there)")

if(WIN32 OR PROJECT_FUZZ)
  set(MPG123_FROM_SOURCE ON)
else()
  set(MPG123_FROM_SOURCE OFF)
endif()

if(NOT MPG123_FROM_SOURCE)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
  add_library(mpg123::mpg123 ALIAS PkgConfig::MPG123)
  return()
endif()

if(NOT EXISTS "${MPG123_SOURCE_DIR}/ports/cmake/CMakeLists.txt")
  message(FATAL_ERROR
    "The mpg123 source package is not in ${MPG123_SOURCE_DIR}: run scripts/setup "
    "(it fetches Debian's mpg123 source package) or set MPG123_SOURCE_DIR.")
endif()

include(ExternalProject)
set(_mpg123_prefix "${CMAKE_BINARY_DIR}/mpg123")
set(_mpg123_lib "${_mpg123_prefix}/lib/${CMAKE_STATIC_LIBRARY_PREFIX}mpg123${CMAKE_STATIC_LIBRARY_SUFFIX}")
set(_mpg123_args
  -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_INSTALL_PREFIX=${_mpg123_prefix}
  -DCMAKE_INSTALL_LIBDIR=lib
  -DCMAKE_POSITION_INDEPENDENT_CODE=ON
  -DBUILD_SHARED_LIBS=OFF
  -DBUILD_LIBOUT123=OFF
  -DBUILD_PROGRAMS=OFF
  -DNETWORK=OFF
  -DNO_MESSAGES=ON
  -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER}
  "-DCMAKE_C_FLAGS=${CMAKE_C_FLAGS}")
if(CMAKE_TOOLCHAIN_FILE)
  list(APPEND _mpg123_args -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE})
endif()
ExternalProject_Add(mpg123_build
  SOURCE_DIR "${MPG123_SOURCE_DIR}/ports/cmake"
  BINARY_DIR "${CMAKE_BINARY_DIR}/mpg123-build"
  INSTALL_DIR "${_mpg123_prefix}"
  CMAKE_ARGS ${_mpg123_args}
  BUILD_BYPRODUCTS "${_mpg123_lib}"
  UPDATE_COMMAND ""
  DOWNLOAD_COMMAND "")
file(MAKE_DIRECTORY "${_mpg123_prefix}/include")
add_library(mpg123::mpg123 STATIC IMPORTED GLOBAL)
set_target_properties(mpg123::mpg123 PROPERTIES
  IMPORTED_LOCATION "${_mpg123_lib}"
  INTERFACE_INCLUDE_DIRECTORIES "${_mpg123_prefix}/include")
if(WIN32)
  target_link_libraries(mpg123::mpg123 INTERFACE shlwapi)
else()
  target_link_libraries(mpg123::mpg123 INTERFACE m)
endif()
add_dependencies(mpg123::mpg123 mpg123_build)
