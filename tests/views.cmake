# The scaled canvas, the southern view, the taskbar icons and the phase by
# name. Included by tests/CMakeLists.txt, which defines lunaclock_test.
lunaclock_test(test_picture_views LABELS core SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_picture_views.cpp)
lunaclock_test(test_phase_name LABELS core SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_phase_name.cpp)
lunaclock_test(test_scale_setting LABELS core SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_scale_setting.cpp)
lunaclock_test(test_views_x LABELS x11 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_views_x.cpp)
set_property(TEST test_views_x APPEND PROPERTY ENVIRONMENT
  "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/motif-leaks.supp")
lunaclock_test(test_views_e2e LABELS e2e x11 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_views_e2e.cpp LIBS e2e_support astro)
