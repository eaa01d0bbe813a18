# Tests of the foundation: the astronomy core and the options (pure, label
# core), the update cycle in-process on a private X server (x11) and the
# built program on its own server (e2e). Included by tests/CMakeLists.txt.
lunaclock_test(test_calendar LABELS core SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_calendar.cpp)
lunaclock_test(test_phase_dates LABELS core SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_phase_dates.cpp)
lunaclock_test(test_moon_sun LABELS core SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_moon_sun.cpp)
lunaclock_test(test_options LABELS core SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_options.cpp)
lunaclock_test(test_update_cycle LABELS x11 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_update_cycle.cpp)
# One start-up of the toolkit per process: the suite started with -t runs in
# a second process of the same binary.
set_property(TEST test_update_cycle APPEND PROPERTY ENVIRONMENT "GTEST_FILTER=-UpdateCycleTestOption.*")
add_test(NAME test_update_cycle_option COMMAND test_update_cycle)
set_tests_properties(test_update_cycle_option PROPERTIES LABELS x11 TIMEOUT 600
  ENVIRONMENT "GTEST_FILTER=UpdateCycleTestOption.*;LUNACLOCK_BINARY=$<TARGET_FILE:lunaclock>;LUNACLOCK_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
# The cycle's timeouts are observed at the toolkit boundary, so the test can
# read each chosen interval exactly instead of timing it.
target_link_options(test_update_cycle PRIVATE
  -Wl,--wrap=XtAppAddTimeOut -Wl,--wrap=XtRemoveTimeOut)
lunaclock_test(test_e2e_smoke LABELS e2e SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_e2e_smoke.cpp LIBS e2e_support)
