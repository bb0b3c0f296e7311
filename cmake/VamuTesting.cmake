# The programs of the tests labelled "threads", which CI runs again under
# ThreadSanitizer: building this target alone is enough for that run.
if(NOT TARGET vamu_threads_tests)
  add_custom_target(vamu_threads_tests)
endif()

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
  # Test files are compiled a few to a unit: each spends most of its time parsing the
  # same GoogleTest, Qt and standard headers.
  set_target_properties(${T_NAME} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 6)
  set(_env "VAMU_BINARY_DIR=${PROJECT_BINARY_DIR}" "VAMU_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  if(T_DISPLAY)
    list(APPEND _env "QT_QPA_PLATFORM=offscreen")
  endif()
  set(_props TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    list(APPEND _props LABELS ${T_LABELS})
  endif()
  if("threads" IN_LIST T_LABELS)
    add_dependencies(vamu_threads_tests ${T_NAME})
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    TEST_LIST ${T_NAME}_TESTS
    PROPERTIES ${_props})
  # Discovery splits every property value at ";", so a list-valued ENVIRONMENT cannot
  # pass through it; this script runs after the discovered tests are defined.
  set(_env_script ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_environment.cmake)
  file(GENERATE OUTPUT ${_env_script} CONTENT
    "if(${T_NAME}_TESTS)\n  set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES ENVIRONMENT \"${_env}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${_env_script})
endfunction()
