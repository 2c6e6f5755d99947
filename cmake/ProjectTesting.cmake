# Test helpers shared by every module.
#
# project_add_gtest(<name> SOURCES ... LIBS ...)
#   A GoogleTest program. Natively each test case becomes a ctest entry;
#   under Wine the whole program is one entry, because every wine start
#   costs far more than a test case.
# project_win_path(<out> <unix path>)
#   The path as a Wine program sees it (Z:<path>); unchanged natively.

if(PROJECT_TESTS)
  enable_testing()
  if(CMAKE_CROSSCOMPILING)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    find_package(GTest REQUIRED)
    include(GoogleTest)
  endif()
endif()

function(project_win_path out path)
  if(CMAKE_CROSSCOMPILING)
    set(${out} "Z:${path}" PARENT_SCOPE)
  else()
    set(${out} "${path}" PARENT_SCOPE)
  endif()
endfunction()

function(project_add_gtest name)
  if(NOT PROJECT_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_TEST_OUTPUT_DIRECTORY})
  if(CMAKE_CROSSCOMPILING)
    if(CMAKE_CROSSCOMPILING_EMULATOR)
      add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
      set_tests_properties(${name} PROPERTIES LABELS wine)
    endif()
  else()
    gtest_discover_tests(${name} EXTRA_ARGS ${T_ARGS} DISCOVERY_TIMEOUT 30)
  endif()
endfunction()

# project_add_fuzzer(<name> SOURCES ... LIBS ...): a libFuzzer target (clang only).
function(project_add_fuzzer name)
  if(NOT PROJECT_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
endfunction()

# project_add_benchmark(<name> SOURCES ... LIBS ...): a Google Benchmark program.
function(project_add_benchmark name)
  if(NOT PROJECT_BENCH)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

# project_add_silent_dns_test(<name> SOURCES ... LIBS ...): a GoogleTest
# program run whole, natively or under Wine, by tools/silent-dns/with_silent_dns.py,
# where every host name lookup waits on a name server that never answers.
function(project_add_silent_dns_test name)
  if(NOT PROJECT_TESTS OR (CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR))
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_TEST_OUTPUT_DIRECTORY})
  add_test(NAME ${name}
    COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tools/silent-dns/with_silent_dns.py --timeout 100
            -- ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>)
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES LABELS "wine;silent_dns")
  else()
    set_tests_properties(${name} PROPERTIES LABELS silent_dns)
  endif()
endfunction()
