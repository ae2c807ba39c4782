# zentara_test(NAME SOURCES files... LIBS targets...)
# Every test runs headless: offscreen Qt, no real sound device, and the profile
# folders pointed at a throw-away place by the test itself (tests/test_env.h).
#
# Building the tests is most of a clean build, and most of a test's compile is
# reading the Qt headers. So the tests of one folder share one precompiled
# header (one per folder: QtTest defines the folder's paths, and a precompiled
# header only serves sources compiled with the same definitions), and a test's
# own code is compiled without optimisation; the code under test keeps the
# build type's flags in its libraries.
option(ZENTARA_TEST_PCH "Share a precompiled Qt header between the tests of a folder" ON)

function(_zentara_test_common name)
  target_link_libraries(${name} PRIVATE Qt6::Test Qt6::Widgets)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    ZENTARA_SOURCE_ASSETS="${ZENTARA_SOURCE_ASSETS}")
  target_compile_options(${name} PRIVATE -O0)
endfunction()

function(zentara_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  _zentara_test_common(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  if(ZENTARA_TEST_PCH)
    string(MAKE_C_IDENTIFIER "zentara_pch_${CMAKE_CURRENT_SOURCE_DIR}" pch)
    if(NOT TARGET ${pch})
      add_executable(${pch} ${CMAKE_SOURCE_DIR}/tests/pch_host.cpp)
      _zentara_test_common(${pch})
      target_precompile_headers(${pch} PRIVATE ${CMAKE_SOURCE_DIR}/tests/test_pch.h)
    endif()
    target_precompile_headers(${name} REUSE_FROM ${pch})
    # ccache can cache sources that use the header only when it sees it.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      target_compile_options(${name} PRIVATE -fpch-preprocess)
    endif()
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy"
    TIMEOUT ${ZENTARA_TEST_TIMEOUT})
endfunction()
