# What `cmake --install` puts in place (DESTDIR is honoured by CMake itself)
# and the Debian package that CPack makes of the same tree.
include(GNUInstallDirs)

install(TARGETS lunaclock RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/man/lunaclock.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/data/lunaclock.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 64 128)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/hicolor/${size}x${size}/apps/lunaclock.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lunaclock)
set(CPACK_PACKAGE_VENDOR "Orvane")
set(CPACK_PACKAGE_CONTACT "Orvane <lunaclock@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Motif moon-phase clock for the X Window System")
set(CPACK_PACKAGE_DESCRIPTION
    "Lunaclock shows the moon as it looks now, in colour or black and white,\n\
beside the Julian date, universal and local time, the moon's age, phase,\n\
distance and angular size, the sun's distance and angular size, and the\n\
dates of this lunation's phases with their lunation numbers.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (dpkg-dev) names the runtime libraries the binary links:
# libXm, libXt, libX11, libnova and the C++ runtime.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
