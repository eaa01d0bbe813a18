# Tests of the observer's place: the location settings and the time zone's
# place (pure, label core), moonrise and moonset against the physics (core),
# their panel rows in-process (x11) and on the built program (e2e).
# Included by tests/CMakeLists.txt.
lunaclock_test(test_moon_rise_set LABELS core SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_moon_rise_set.cpp)
lunaclock_test(test_location_settings LABELS core SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_location_settings.cpp)
lunaclock_test(test_rise_set_rows LABELS core SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_rise_set_rows.cpp)
lunaclock_test(test_rise_set_x LABELS x11 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_rise_set_x.cpp)
target_link_options(test_rise_set_x PRIVATE -Wl,--wrap=_Z13find_rise_setdRK14observer_placed)
# It starts the program once per case.
set_property(TEST test_rise_set_x APPEND PROPERTY ENVIRONMENT
  "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/motif-leaks.supp")
lunaclock_test(test_rise_set_e2e LABELS e2e x11
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_rise_set_e2e.cpp
  LIBS e2e_support astro)
