# Adds every direct sub-folder of DIR that holds a CMakeLists.txt.
function(vantor_add_subfolders dir)
  file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}/${dir} ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/${child}/CMakeLists.txt)
      add_subdirectory(${dir}/${child})
    endif()
  endforeach()
endfunction()

if(BUILD_TESTING)
  include(GoogleTest)
endif()

# vantor_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [ENV VAR=value ...] [TIMEOUT s] [COST n])
# One GoogleTest executable, registered with CTest test by test. GUI tests run on
# Qt's offscreen platform and every message box is answered without blocking; in
# the sanitizer build leaks are reported, but for those of fontconfig's caches.
# COST (about the seconds a test takes) starts the long ones first in a parallel
# run that has no timings of its own yet (a fresh build tree).
function(vantor_add_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT;COST" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  if(NOT ARG_COST)
    set(ARG_COST 0)
  endif()
  # The discovered tests run through "cmake -E env" so that every variable
  # reaches them (a list-valued ENVIRONMENT property does not survive test
  # discovery). The same launcher runs the discovery itself.
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
    "${CMAKE_COMMAND};-E;env;QT_QPA_PLATFORM=offscreen;VANTOR_MESSAGES=stderr;ASAN_OPTIONS=detect_leaks=1;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp;${ARG_ENV}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${ARG_TIMEOUT} COST ${ARG_COST})
endfunction()

# vantor_use_sway_session(target): the programs tests/keyboard/sway_session.h
# starts (a headless sway, wev, and setpriv and stdbuf to run them), found once
# and handed to `target` as SWAY_PROGRAM, WEV_PROGRAM, SETPRIV_PROGRAM and
# STDBUF_PROGRAM ("" where one is missing: the test then says so and skips).
function(vantor_use_sway_session target)
  find_program(VANTOR_SWAY sway)
  find_program(VANTOR_WEV wev)
  find_program(VANTOR_SETPRIV setpriv)
  find_program(VANTOR_STDBUF stdbuf)
  target_compile_definitions(${target} PRIVATE SWAY_PROGRAM="${VANTOR_SWAY}" WEV_PROGRAM="${VANTOR_WEV}"
    SETPRIV_PROGRAM="${VANTOR_SETPRIV}" STDBUF_PROGRAM="${VANTOR_STDBUF}")
endfunction()

# vantor_add_fuzzer(NAME SOURCES a.cpp LIBS lib1 [SECONDS n])
# A libFuzzer target, built only with -DVANTOR_FUZZ=ON (clang). It is registered with
# CTest under the label "fuzz" and runs for a bounded time from an empty corpus.
if(VANTOR_FUZZ AND NOT TARGET fuzzers)
  add_custom_target(fuzzers)
endif()
function(vantor_add_fuzzer name)
  if(NOT VANTOR_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_SECONDS)
    set(ARG_SECONDS 20)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzzers ${name})
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
  add_test(NAME ${name}
           COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
                   sh -c "mkdir -p '${corpus}' && exec '$<TARGET_FILE:${name}>' -max_total_time=${ARG_SECONDS} -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 '${corpus}'")
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 300)
endfunction()
