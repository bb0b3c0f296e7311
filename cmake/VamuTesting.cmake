# vamu_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [DISPLAY])
# One GoogleTest binary; its cases are listed to ctest when the tests run, so
# building never needs to execute a test (and never needs a display).
function(vamu_add_test)
  cmake_parse_arguments(T "DISPLAY" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main vamu_options)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  set(_env "VAMU_BINARY_DIR=${PROJECT_BINARY_DIR}" "VAMU_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  if(T_DISPLAY)
    list(APPEND _env "QT_QPA_PLATFORM=offscreen")
  endif()
  # The environment rides on the test launcher: list-valued test properties do not
  # survive the discovery script of this CMake, and an empty label list would shift
  # the properties after it.
  set_target_properties(${T_NAME} PROPERTIES CROSSCOMPILING_EMULATOR "${CMAKE_COMMAND};-E;env;${_env}")
  set(_props TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    list(JOIN T_LABELS "," _labels)
    list(APPEND _props LABELS ${_labels})
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${_props})
endfunction()
