# What `cmake --install` puts in place (DESTDIR is honoured by CMake itself)
# and the Debian package that CPack makes of the same tree.
include(GNUInstallDirs)

# Who answers for the package. The defaults are placeholders in a reserved
# domain; a packager gives the real ones with -D on the cmake command line.
set(LUNACLOCK_MAINTAINER "Lunaclock developers <lunaclock@example.org>"
    CACHE STRING "Maintainer of the Debian package, \"Name <address>\"")
set(LUNACLOCK_HOMEPAGE "https://lunaclock.example.org/"
    CACHE STRING "Home page (with a trailing slash); the AppStream screenshot is screenshot.png below it")
set(LUNACLOCK_APPSTREAM_ID "org.example.lunaclock"
    CACHE STRING "AppStream component id, reverse DNS of the home page")

# ---- Files made from the sources --------------------------------------------
set(dist ${PROJECT_BINARY_DIR}/dist)
file(MAKE_DIRECTORY ${dist})

# The release date of this version, from its heading in CHANGELOG.md; a
# version without an entry there is a mistake of whoever raised it.
include(${PROJECT_SOURCE_DIR}/cmake/changelog_heading.cmake)
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md release_headings REGEX "${changelog_heading}")
set(LUNACLOCK_RELEASE_DATE "")
foreach(heading IN LISTS release_headings)
  string(REGEX MATCH "${changelog_heading}" heading "${heading}")
  if(CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    set(LUNACLOCK_RELEASE_DATE ${CMAKE_MATCH_2}-${CMAKE_MATCH_3}-${CMAKE_MATCH_4})
    break()
  endif()
endforeach()
if(NOT LUNACLOCK_RELEASE_DATE)
  message(FATAL_ERROR "CHANGELOG.md has no heading \"## ${PROJECT_VERSION} (YYYY-MM-DD)\"")
endif()
configure_file(${PROJECT_SOURCE_DIR}/data/metainfo.xml.in
               ${dist}/${LUNACLOCK_APPSTREAM_ID}.metainfo.xml @ONLY)

# The machine-readable copyright file carries the licence text of LICENSE,
# less its title and copyright lines, indented as DEP-5 wants.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE licence_lines)
list(SUBLIST licence_lines 4 -1 licence_lines)
set(LUNACLOCK_LICENSE_TEXT "")
foreach(line IN LISTS licence_lines)
  if(line STREQUAL "")
    string(APPEND LUNACLOCK_LICENSE_TEXT " .\n")
  else()
    string(APPEND LUNACLOCK_LICENSE_TEXT " ${line}\n")
  endif()
endforeach()
string(REGEX REPLACE "\n$" "" LUNACLOCK_LICENSE_TEXT "${LUNACLOCK_LICENSE_TEXT}")
configure_file(${PROJECT_SOURCE_DIR}/data/copyright.in ${dist}/copyright @ONLY)

add_custom_command(OUTPUT ${dist}/lunaclock.1.gz
  COMMAND sh -c "gzip -9nc \"$1\" >\"$2\"" sh ${PROJECT_SOURCE_DIR}/man/lunaclock.1 ${dist}/lunaclock.1.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/man/lunaclock.1 VERBATIM)
add_custom_command(OUTPUT ${dist}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/CHANGELOG.md -DOUT=${dist}/changelog
          -DPACKAGE=lunaclock "-DMAINTAINER=${LUNACLOCK_MAINTAINER}" -P ${PROJECT_SOURCE_DIR}/cmake/changelog.cmake
  COMMAND gzip -9nf ${dist}/changelog
  DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/cmake/changelog.cmake
          ${PROJECT_SOURCE_DIR}/cmake/changelog_heading.cmake VERBATIM)
add_custom_target(dist_files ALL DEPENDS ${dist}/lunaclock.1.gz ${dist}/changelog.gz)

# ---- Install rules ----------------------------------------------------------
install(TARGETS lunaclock RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${dist}/lunaclock.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/data/lunaclock.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${dist}/${LUNACLOCK_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${dist}/copyright ${dist}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
foreach(size 16 32 48 64 128)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/hicolor/${size}x${size}/apps/lunaclock.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
# The app-defaults file goes where the X Toolkit looks for it: under the
# prefix /usr that is /etc/X11/app-defaults (Debian's libXt searches /etc/X11,
# and Debian policy makes app-defaults configuration files there), as
# GNUInstallDirs puts SYSCONFDIR in /etc for that prefix; under any other
# prefix share/X11/app-defaults, which the README tells the toolkit about.
install(CODE "
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(app_defaults_dir /etc/X11/app-defaults)
  else()
    set(app_defaults_dir \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/X11/app-defaults\")
  endif()
  file(INSTALL DESTINATION \"\${app_defaults_dir}\" TYPE FILE
       FILES \"${PROJECT_SOURCE_DIR}/data/app-defaults/Lunaclock\")
")

# ---- The Debian package -----------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lunaclock)
set(CPACK_PACKAGE_VENDOR "Orvane")
set(CPACK_PACKAGE_CONTACT "${LUNACLOCK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LUNACLOCK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${LUNACLOCK_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Motif moon-phase clock for the X Window System")
set(CPACK_PACKAGE_DESCRIPTION
    "Lunaclock shows the moon as it looks now, in colour or black and white,\n\
beside the Julian date, universal and local time, the moon's age, phase,\n\
distance and angular size, the sun's distance and angular size, and the\n\
dates of this lunation's phases with their lunation numbers. Given a\n\
latitude and longitude it also shows the next moonrise and moonset, and\n\
south of the equator it can turn the picture as the moon is seen there.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (dpkg-dev) names the runtime libraries the binary links:
# libXm, libXt, libX11, libnova and the C++ runtime. The font is the one the
# app-defaults file names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
# The app-defaults file is the local administrator's to edit.
file(WRITE ${dist}/conffiles "/etc/X11/app-defaults/Lunaclock\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${dist}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
include(CPack)
