# zoetra_add_test(NAME n SOURCES ... LIBS ... [LABELS ...] [TSAN] [WHOLE])
# A GoogleTest program whose cases CTest lists one by one, or runs as one test with WHOLE
# (for cases that share something costly, such as one X server). Labels pick sanitizer runs:
# "asan" runs in the AddressSanitizer build, "tsan" (or the TSAN flag) in the ThreadSanitizer
# build, whose `tsan_tests` target then builds it too. "display" marks tests that start Xvfb.
function(zoetra_add_test)
  cmake_parse_arguments(T "TSAN;WHOLE" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE
    ZOETRA_TEST_DATA="${ZOETRA_TEST_DATA}" ZOETRA_BUILD_DIR="${CMAKE_BINARY_DIR}"
    ZOETRA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  set(labels ${T_LABELS})
  if(T_TSAN)
    list(APPEND labels tsan)
  endif()
  if("tsan" IN_LIST labels)
    add_dependencies(tsan_tests ${T_NAME})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(T_WHOLE)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${labels}")
    if(T_ENV)
      set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${T_ENV}")
    endif()
    return()
  endif()
  # A list would not survive the trip through gtest_discover_tests' PROPERTIES (its second
  # item turns into a property name), so the labels travel as one: "asan,tsan". ctest -L
  # takes a regular expression, so -L asan and -L tsan both still find such a test.
  # Empty values are left out altogether: an empty LABELS would swallow the next property's
  # name. ENV likewise carries one variable (put several in a wrapper script if needed).
  set(properties TIMEOUT ${T_TIMEOUT})
  if(labels)
    list(JOIN labels "," labels)
    list(APPEND properties LABELS "${labels}")
  endif()
  if(T_ENV)
    list(APPEND properties ENVIRONMENT "${T_ENV}")
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${properties})
endfunction()
