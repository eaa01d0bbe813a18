# End-to-end tests: the built program in its own process on a private Xvfb
# under twm, observed from outside. Included by tests/CMakeLists.txt.

# The harness for every test that runs the built program as a child: child
# processes, the test's own X connection, event waits and window searches.
add_library(e2e_support STATIC ${CMAKE_CURRENT_LIST_DIR}/support/e2e.cpp ${CMAKE_CURRENT_LIST_DIR}/support/xtrace.cpp)
target_include_directories(e2e_support PUBLIC ${CMAKE_CURRENT_LIST_DIR}/support)
target_link_libraries(e2e_support PUBLIC test_support X11::X11)

lunaclock_test(test_e2e LABELS e2e x11
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_e2e.cpp
  LIBS e2e_support astro)

# The command line and the window manager's hints of the real program.
lunaclock_test(test_shell_e2e LABELS e2e x11 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_shell_e2e.cpp LIBS e2e_support)

# The order of the program's X requests at start-up and in its redraws.
lunaclock_test(test_request_sequence LABELS e2e x11 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_request_sequence.cpp
  LIBS e2e_support astro moon_assets)
