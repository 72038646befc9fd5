# melvane_test(NAME SOURCES ... LIBS ... [TIMEOUT seconds]): a GoogleTest executable registered with CTest;
# TIMEOUT bounds each of its tests (tests that wait on other processes or servers set it).
function(melvane_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  set(_timeout)
  if(T_TIMEOUT)
    set(_timeout TIMEOUT ${T_TIMEOUT})
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE MELVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             MELVANE_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "SDL_AUDIODRIVER=dummy;QT_QPA_PLATFORM=offscreen" ${_timeout})
endfunction()

# melvane_bench(NAME SOURCES ... LIBS ...): a benchmark program that prints figures.
function(melvane_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()

# melvane_fuzz(NAME SOURCES ... LIBS ...): a libFuzzer target (clang only).
function(melvane_fuzz name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  set_property(GLOBAL APPEND PROPERTY MELVANE_FUZZ_TARGETS ${name})
endfunction()
