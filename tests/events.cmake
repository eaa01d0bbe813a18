# The window's event handlers and the "Test" toggle, in-process on a private
# X server; included by tests/CMakeLists.txt.
lunaclock_test(test_events LABELS x11 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_events.cpp)
