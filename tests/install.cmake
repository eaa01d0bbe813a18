# Installation, packaging, the man page, the desktop entry, the command line
# without a display, and the taskbar icon; included by tests/CMakeLists.txt.
foreach(check tree desktop man package appstream cli)
  add_test(NAME install_${check}
           COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/install_checks.sh ${check} ${PROJECT_SOURCE_DIR}
                   ${PROJECT_BINARY_DIR} ${PROJECT_VERSION})
  set_tests_properties(install_${check} PROPERTIES LABELS install TIMEOUT 300
    ENVIRONMENT "LUNACLOCK_BINARY=$<TARGET_FILE:lunaclock>;LUNACLOCK_APPSTREAM_ID=${LUNACLOCK_APPSTREAM_ID};LUNACLOCK_HARDENED=${LUNACLOCK_HARDENED}")
endforeach()

lunaclock_test(test_net_wm_icon LABELS install SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_net_wm_icon.cpp)
foreach(mode colour:-c monochrome:-m)
  string(REPLACE ":" ";" mode ${mode})
  list(GET mode 0 name)
  list(GET mode 1 option)
  lunaclock_test(test_net_wm_icon_x11_${name} LABELS x11 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_net_wm_icon_x11.cpp)
  target_compile_definitions(test_net_wm_icon_x11_${name} PRIVATE NET_WM_ICON_MODE="${option}")
endforeach()
