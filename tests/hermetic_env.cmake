cmake_minimum_required(VERSION 3.25)
# Every registered test runs with the toolkit's resource files shut out:
# checks the environment that ctest gives each test, and that the places it
# points at hold no resource file. Script mode:
#   cmake -DCTEST=ctest -DBUILD_DIR=<build> -DREQUIRED="A=a|B=b" -P hermetic_env.cmake
execute_process(COMMAND ${CTEST} --test-dir ${BUILD_DIR} --show-only=json-v1
                OUTPUT_VARIABLE json RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ctest --show-only failed")
endif()

# The settings, as tests/CMakeLists.txt defines them, separated by "|".
string(REPLACE "|" ";" required "${REQUIRED}")
if(NOT required MATCHES "XENVIRONMENT=/dev/null")
  message(FATAL_ERROR "REQUIRED does not name the settings: ${REQUIRED}")
endif()
set(hermetic ${BUILD_DIR}/tests/hermetic)

string(JSON count LENGTH "${json}" tests)
if(count EQUAL 0)
  message(FATAL_ERROR "no tests registered")
endif()
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON name GET "${json}" tests ${i} name)
  set(environment "")
  string(JSON nprops ERROR_VARIABLE no_props LENGTH "${json}" tests ${i} properties)
  if(NOT no_props)
    math(EXPR plast "${nprops} - 1")
    foreach(p RANGE ${plast})
      string(JSON pname GET "${json}" tests ${i} properties ${p} name)
      if(pname STREQUAL "ENVIRONMENT")
        string(JSON nvalues LENGTH "${json}" tests ${i} properties ${p} value)
        math(EXPR vlast "${nvalues} - 1")
        foreach(v RANGE ${vlast})
          string(JSON value GET "${json}" tests ${i} properties ${p} value ${v})
          list(APPEND environment "${value}")
        endforeach()
      endif()
    endforeach()
  endif()
  foreach(setting IN LISTS required)
    if(NOT setting IN_LIST environment)
      message(SEND_ERROR "${name}: runs without ${setting}")
    endif()
  endforeach()
endforeach()

# Nothing may have put a resource file where the paths lead.
file(GLOB_RECURSE stray LIST_DIRECTORIES false ${hermetic}/no-resources/* ${hermetic}/home/.Xdefaults*
     ${hermetic}/home/Lunaclock*)
if(stray)
  message(SEND_ERROR "resource files where tests look: ${stray}")
endif()
message(STATUS "${count} tests checked")
