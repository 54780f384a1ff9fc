# hs_add_test(NAME LABEL): registers a test executable as one CTest test. Windows executables run through the
# cross-compiling emulator (wine64) inside one shared prefix whose wineserver lives for the whole run.
if(WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR)
  set(HS_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  add_test(NAME wine-start COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-server.sh start)
  add_test(NAME wine-stop COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-server.sh stop)
  set_tests_properties(wine-start PROPERTIES FIXTURES_SETUP wine ENVIRONMENT HOARDSCOPE_WINEPREFIX=${HS_WINEPREFIX}
                                             LABELS win32)
  set_tests_properties(wine-stop PROPERTIES FIXTURES_CLEANUP wine ENVIRONMENT HOARDSCOPE_WINEPREFIX=${HS_WINEPREFIX}
                                            LABELS win32)
endif()

function(hs_add_test target label)
  if(WIN32)
    if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
      return()  # the 32-bit build is compiled and linked, never run here
    endif()
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES LABELS "win32;${label}" FIXTURES_REQUIRED wine
                         ENVIRONMENT HOARDSCOPE_WINEPREFIX=${HS_WINEPREFIX})
  else()
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES LABELS ${label})
  endif()
endfunction()
