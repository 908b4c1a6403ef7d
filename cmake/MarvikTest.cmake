# marvik_add_test(NAME sources... LIBS libs...)
# One executable per class under test, each a CTest target. Widget tests run
# on the offscreen platform, so no display is needed.
function(marvik_add_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;MARVIK_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data"
    TIMEOUT 300)
endfunction()
