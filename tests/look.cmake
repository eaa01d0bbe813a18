# The shipped app-defaults file, and the resource files that tests must not
# see. Included by tests/CMakeLists.txt.
find_package(Fontconfig REQUIRED)

lunaclock_test(test_app_defaults LABELS x11
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_app_defaults.cpp
  LIBS e2e_support X11::Xft Fontconfig::Fontconfig)

lunaclock_test(test_resource_files LABELS e2e x11
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_resource_files.cpp
  LIBS e2e_support)
set_property(TEST test_app_defaults APPEND PROPERTY ENVIRONMENT
  "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/motif-leaks.supp")
