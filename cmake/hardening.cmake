# Debian's hardening flags (fortify, stack protector, relro, bindnow, PIE) as
# dpkg-buildflags gives them, for the optimised builds that get installed and
# packaged. Not for Debug builds (fortify needs optimisation) nor the
# sanitizer build (fortify's checked functions hide errors from ASan).
option(LUNACLOCK_HARDENING "Build with the flags of dpkg-buildflags (hardening=+all)" ON)

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
set(LUNACLOCK_HARDENED OFF)
if(LUNACLOCK_HARDENING AND NOT LUNACLOCK_SANITIZE AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug" AND DPKG_BUILDFLAGS)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported()
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            ${DPKG_BUILDFLAGS} --get ${kind}
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    # The build type chooses the optimisation and the debug information.
    list(FILTER flags EXCLUDE REGEX "^-(O[0-9s]?|g[0-9]?)$")
    if(kind STREQUAL "LDFLAGS")
      add_link_options(${flags})
    else()
      add_compile_options(${flags})
    endif()
  endforeach()
  set(LUNACLOCK_HARDENED ON)
  message(STATUS "lunaclock: hardening flags of dpkg-buildflags in use")
endif()
