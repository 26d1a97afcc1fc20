# Third-party libraries. For Windows, minizip and jsoncpp are built here from the Debian source packages
# that scripts/setup.sh unpacks into build/deps, and zlib comes from Debian's MinGW package. Native builds
# use Debian's -dev packages of the same libraries.
if(WIN32)
  set(VEXRA_DEPS_DIR "${CMAKE_SOURCE_DIR}/build/deps" CACHE PATH "unpacked dependency sources")
  set(_zsrc "${VEXRA_DEPS_DIR}/zlib-src")
  set(_jsrc "${VEXRA_DEPS_DIR}/jsoncpp-src")
  if(NOT EXISTS "${_zsrc}/contrib/minizip/unzip.c" OR NOT EXISTS "${_jsrc}/src/lib_json/json_reader.cpp")
    message(FATAL_ERROR "dependency sources missing in ${VEXRA_DEPS_DIR}: run scripts/setup.sh")
  endif()
  find_library(VEXRA_ZLIB_A NAMES libz.a REQUIRED)
  add_library(dep_zlib STATIC IMPORTED GLOBAL)
  set_target_properties(dep_zlib PROPERTIES IMPORTED_LOCATION "${VEXRA_ZLIB_A}")

  add_library(dep_minizip STATIC
    "${_zsrc}/contrib/minizip/unzip.c" "${_zsrc}/contrib/minizip/zip.c"
    "${_zsrc}/contrib/minizip/ioapi.c" "${_zsrc}/contrib/minizip/iowin32.c")
  target_include_directories(dep_minizip SYSTEM PUBLIC "${_zsrc}/contrib")
  target_compile_definitions(dep_minizip PRIVATE NOCRYPT NOUNCRYPT)
  target_compile_options(dep_minizip PRIVATE -w)
  target_link_libraries(dep_minizip PUBLIC dep_zlib)

  add_library(dep_jsoncpp STATIC
    "${_jsrc}/src/lib_json/json_reader.cpp" "${_jsrc}/src/lib_json/json_value.cpp"
    "${_jsrc}/src/lib_json/json_writer.cpp")
  target_include_directories(dep_jsoncpp SYSTEM PUBLIC "${_jsrc}/include")
  target_compile_options(dep_jsoncpp PRIVATE -w)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(JSONCPP REQUIRED IMPORTED_TARGET jsoncpp)
  pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
  add_library(dep_jsoncpp INTERFACE)
  target_link_libraries(dep_jsoncpp INTERFACE PkgConfig::JSONCPP)
  add_library(dep_minizip INTERFACE)
  target_link_libraries(dep_minizip INTERFACE PkgConfig::MINIZIP)
endif()
# Minizip's own headers say <unzip.h>; on Debian's -dev package they live in <minizip/unzip.h>.
# Code includes "minizip/unzip.h" in both builds.

# GoogleTest from Debian's source tree, built for whichever target this is.
if(EXISTS /usr/src/googletest/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
else()
  message(FATAL_ERROR "GoogleTest sources missing in /usr/src/googletest: run scripts/setup.sh")
endif()
