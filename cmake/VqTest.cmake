# vq_add_gtest(NAME SOURCES... [LIBS ...]): one GoogleTest program, run by
# ctest natively or, in the win32 configuration, under Wine in the build
# tree's bench (started once per ctest run by the wine_bench fixture).
function(vq_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  # A suite with its own main() keeps it: gtest_main's main is then not pulled
  # from the static library.
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  target_compile_options(${name} PRIVATE ${VQ_WARNINGS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "VQ_SOURCE_DIR=${PROJECT_SOURCE_DIR};VQ_BUILD_DIR=${CMAKE_BINARY_DIR}"
    TIMEOUT 600)
  if(WIN32)
    # One display, one keyboard focus: Windows tests take turns on the bench.
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_bench RESOURCE_LOCK wine_display)
  endif()
endfunction()

# vq_add_script_test(NAME COMMAND...): a shell-driven system test.
function(vq_add_script_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "VQ_SOURCE_DIR=${PROJECT_SOURCE_DIR};VQ_BUILD_DIR=${CMAKE_BINARY_DIR}"
    TIMEOUT 900)
  if(WIN32)
    # One display, one keyboard focus: Windows tests take turns on the bench.
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_bench RESOURCE_LOCK wine_display)
  endif()
endfunction()
