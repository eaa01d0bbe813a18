# The window's widget tree, the palette and the start-up icons; each binary
# starts the real program in-process on private X servers.
lunaclock_test(test_window LABELS x11 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_window.cpp)
lunaclock_test(test_graphics LABELS x11 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_graphics.cpp)
