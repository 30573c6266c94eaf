# GoogleTest: Debian's prebuilt library natively; built from Debian's sources
# (package googletest) when cross-compiling, since no Windows build ships.
if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GoogleTest 1.11 and later name their targets GTest::... themselves.
  foreach(_lib gtest gtest_main gmock)
    if(NOT TARGET GTest::${_lib})
      add_library(GTest::${_lib} ALIAS ${_lib})
    endif()
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# Under an emulator (Wine) the test programs are listed when ctest starts,
# not after each link, and a last test stops the emulator's server so that
# nothing outlives the run.
set(_quillane_test_fixture "")
set(_quillane_discovery_mode POST_BUILD)
if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR AND QUILLANE_WINEPREFIX)
  set(_quillane_discovery_mode PRE_TEST)
  set(_quillane_test_fixture FIXTURES_REQUIRED wine)
  add_test(NAME wine_server_stop
    COMMAND /bin/sh ${CMAKE_CURRENT_LIST_DIR}/wine-stop.sh ${QUILLANE_WINEPREFIX})
  set_tests_properties(wine_server_stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# quillane_add_test(NAME name SOURCES ... LIBS ... [PROPERTIES ...]): one test
# executable, its cases discovered into CTest, each with PROPERTIES.
function(quillane_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 120 DISCOVERY_MODE ${_quillane_discovery_mode}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${_quillane_test_fixture} ${T_PROPERTIES})
endfunction()
