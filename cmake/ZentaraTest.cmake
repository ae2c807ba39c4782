# zentara_test(NAME SOURCES files... LIBS targets...)
# Every test runs headless: offscreen Qt, no real sound device, and the profile
# folders pointed at a throw-away place by the test itself (tests/test_env.h).
function(zentara_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    ZENTARA_SOURCE_ASSETS="${ZENTARA_SOURCE_ASSETS}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy"
    TIMEOUT ${ZENTARA_TEST_TIMEOUT})
endfunction()
