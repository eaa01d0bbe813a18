# End-to-end tests: the built program in its own process on a private Xvfb
# under twm, observed from outside. Included by tests/CMakeLists.txt.
lunaclock_test(test_e2e LABELS e2e x11
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_e2e.cpp ${CMAKE_CURRENT_LIST_DIR}/support/e2e.cpp
  LIBS astro)
