# The phase picture, the icon, the icon name and the information panel.
# Included by tests/CMakeLists.txt, which defines lunaclock_test.
lunaclock_test(test_phase_picture LABELS core SOURCES test_phase_picture.cpp)
lunaclock_test(test_panel_text LABELS core SOURCES test_panel_text.cpp)
lunaclock_test(test_picture_x LABELS x11 SOURCES test_picture_x.cpp)
lunaclock_test(test_panel_x LABELS x11 SOURCES test_panel_x.cpp)
# These binaries start the program once per test.
set_property(TEST test_picture_x test_panel_x APPEND PROPERTY ENVIRONMENT
  "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/motif-leaks.supp")
