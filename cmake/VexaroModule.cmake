# Helpers shared by the module, test and benchmark folders.

# vexaro_add_module(NAME SOURCES ...) makes the library vexaro_NAME with the
# alias vexaro::NAME; headers are included as "NAME/header.h" from src/.
function(vexaro_add_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  add_library(vexaro_${name} STATIC ${ARG_SOURCES})
  add_library(vexaro::${name} ALIAS vexaro_${name})
  target_include_directories(vexaro_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(vexaro_${name} PRIVATE vexaro_warnings)
endfunction()

# vexaro_add_gtest(TARGET LABEL label SOURCES ... LIBS ... [WHOLE] [TIMEOUT s])
# builds a GoogleTest executable and registers it with CTest under the
# module's label. By default every test case is its own CTest test; WHOLE
# registers the executable as one test, for suites that start servers once.
function(vexaro_add_gtest target)
  cmake_parse_arguments(ARG "WHOLE" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock vexaro_warnings)
  if(NOT ARG_LIBS MATCHES "GTest::gtest_main")
    target_link_libraries(${target} PRIVATE GTest::gtest_main)
  endif()
  if(ARG_WHOLE)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT})
  else()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
      PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT})
  endif()
endfunction()
