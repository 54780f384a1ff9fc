# The Windows executables run through the cross-compiling emulator (wine64) inside one shared prefix whose
# wineserver lives for the whole run.
if(WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR)
  set(HS_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  add_test(NAME wine-start COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-server.sh start)
  add_test(NAME wine-stop COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-server.sh stop)
  set_tests_properties(wine-start PROPERTIES FIXTURES_SETUP wine ENVIRONMENT HOARDSCOPE_WINEPREFIX=${HS_WINEPREFIX}
                                             LABELS win32)
  set_tests_properties(wine-stop PROPERTIES FIXTURES_CLEANUP wine ENVIRONMENT HOARDSCOPE_WINEPREFIX=${HS_WINEPREFIX}
                                            LABELS win32)
endif()

include(GoogleTest)

# hs_add_test(NAME LABEL [LAUNCHER COMMAND...] [ENVIRONMENT VAR=VALUE...] [LOCK RESOURCE]): registers a test
# executable. On Linux each of its cases is a CTest test of its own, named NAME.Suite.Case, so that a failure names
# its case and no case leans on what an earlier one left in the process; the cases are listed when the tests
# start. LAUNCHER (a session bus, a display) runs the listing and each case, ENVIRONMENT holds for both; no two
# cases that name the same LOCK run at once. Under Wine every process start costs a wine64 start-up (a quarter of
# a second: some 80 s more for the 330 cases of the Windows executables), so a Windows executable stays one test.
function(hs_add_test target label)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "LOCK" "LAUNCHER;ENVIRONMENT")
  if(WIN32)
    if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
      return()  # the 32-bit build is compiled and linked, never run here
    endif()
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES LABELS "win32;${label}" FIXTURES_REQUIRED wine
                         ENVIRONMENT HOARDSCOPE_WINEPREFIX=${HS_WINEPREFIX})
    return()
  endif()
  set(launcher ${arg_LAUNCHER})
  if(arg_ENVIRONMENT)
    set(launcher env ${arg_ENVIRONMENT} ${launcher})
  endif()
  if(launcher)
    set_property(TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR ${launcher})
  endif()
  set(lock "")
  if(arg_LOCK)
    set(lock RESOURCE_LOCK ${arg_LOCK})
  endif()
  gtest_discover_tests(${target} TEST_PREFIX ${target}. DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES LABELS ${label} ${lock})
endfunction()
