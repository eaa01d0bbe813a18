# The window's widget tree, the palette and the start-up icons. Each fixture
# starts the real program in-process on its own private X server; ctest runs
# every fixture in a process of its own, because each start initialises the
# toolkit afresh and Motif keeps per-display state that a second start in the
# same process orphans.
function(lunaclock_fixture_tests binary)
  add_executable(${binary} ${CMAKE_CURRENT_LIST_DIR}/${binary}.cpp)
  target_link_libraries(${binary} PRIVATE test_support GTest::gtest_main)
  foreach(fixture ${ARGN})
    add_test(NAME ${binary}.${fixture} COMMAND ${binary} --gtest_filter=${fixture}.*)
    # A filter that matches nothing (a renamed fixture) must not pass.
    set_tests_properties(${binary}.${fixture} PROPERTIES LABELS x11 TIMEOUT 600
      FAIL_REGULAR_EXPRESSION "Running 0 tests"
      ENVIRONMENT "LUNACLOCK_BINARY=$<TARGET_FILE:lunaclock>;LUNACLOCK_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  endforeach()
endfunction()

lunaclock_fixture_tests(test_window WindowTree WindowInTestMode WindowWithResources)
lunaclock_fixture_tests(test_graphics ColourOnTrueColor MonochromeOnTrueColor ColourOnFullColormap)
