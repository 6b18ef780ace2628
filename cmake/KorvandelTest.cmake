# korvandel_add_test(NAME SOURCES ... LIBS ...)
# One GoogleTest program is one ctest entry; under a cross build ctest runs it
# through the Wine wrapper named as the crosscompiling emulator.
function(korvandel_add_test name)
  cmake_parse_arguments(KT "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${KT_SOURCES})
  target_link_libraries(${name} PRIVATE ${KT_LIBS} GTest::gtest GTest::gtest_main)
  if(WIN32)
    # Console subsystem so that the results reach ctest.
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE OFF)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
