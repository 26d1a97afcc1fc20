# Each subsystem's CMakeLists names its files as PURE (no Windows headers: built for Windows and natively,
# tested with sanitizers and fuzzed) or WIN (Win32 code, Windows build only). src/CMakeLists.txt turns the
# lists into the libraries vexra_core and vexra_win.
function(vexra_sources)
  cmake_parse_arguments(A "" "" "PURE;WIN" ${ARGN})
  foreach(f IN LISTS A_PURE)
    get_filename_component(abs "${f}" ABSOLUTE)
    set_property(GLOBAL APPEND PROPERTY VEXRA_PURE_SOURCES "${abs}")
  endforeach()
  if(WIN32)
    foreach(f IN LISTS A_WIN)
      get_filename_component(abs "${f}" ABSOLUTE)
      set_property(GLOBAL APPEND PROPERTY VEXRA_WIN_SOURCES "${abs}")
    endforeach()
  endif()
endfunction()

set(VEXRA_WINRUN "${CMAKE_SOURCE_DIR}/scripts/winrun")

# A GoogleTest suite of the Windows-free code, run natively under the sanitizers.
function(vexra_native_test name)
  if(WIN32)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE vexra_core GTest::gtest_main GTest::gmock)
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# A GoogleTest suite built with MinGW and run under Wine (through scripts/winrun).
function(vexra_win_test name)
  if(NOT WIN32)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_sources(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests/support/win_test_main.cpp")
  target_link_libraries(${name} PRIVATE vexra_win GTest::gtest GTest::gmock)
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${VEXRA_WINRUN}")
  add_test(NAME ${name} COMMAND ${name})
  # The Wine suites share the prefix with the installer runs: its application-data folder (settings,
  # SDK folder and record log), the product's uninstall entry and per-run folders named by the second.
  # None of them runs beside another or beside an installer run.
  set_tests_properties(${name} PROPERTIES RESOURCE_LOCK installer)
endfunction()
