# Reliability under load, faults and bad input. Runs that take longer than a
# minute carry the label soak: `make check` leaves them out, `make soak` runs
# them.
set(REL ${CMAKE_CURRENT_SOURCE_DIR}/reliability)
find_library(XRES_LIBRARY XRes REQUIRED)

add_library(reliability_support STATIC ${REL}/child_program.cpp)
target_include_directories(reliability_support PUBLIC ${REL})
target_link_libraries(reliability_support PUBLIC e2e_support)

lunaclock_test(test_arg_fuzz LABELS x11 e2e SOURCES ${REL}/test_arg_fuzz.cpp LIBS reliability_support)
target_compile_definitions(test_arg_fuzz PRIVATE FUZZ_RUNS=50)
lunaclock_test(soak_arg_fuzz LABELS x11 e2e soak SOURCES ${REL}/test_arg_fuzz.cpp LIBS reliability_support)
target_compile_definitions(soak_arg_fuzz PRIVATE FUZZ_RUNS=1000)
set_tests_properties(soak_arg_fuzz PROPERTIES TIMEOUT 1800)

lunaclock_test(test_display_loss LABELS x11 e2e SOURCES ${REL}/test_display_loss.cpp LIBS reliability_support)

lunaclock_test(test_timezones LABELS core SOURCES ${REL}/test_timezones.cpp)

# The update cycle run after run in-process: 20000 runs of the test clock
# (about 28 lunations) take seconds and belong to every check; the soak runs
# ten times as many.
lunaclock_test(test_soak LABELS x11 SOURCES ${REL}/test_soak.cpp LIBS ${XRES_LIBRARY})
target_compile_definitions(test_soak PRIVATE SOAK_RUNS=20000)
lunaclock_test(soak_update_cycle LABELS x11 soak SOURCES ${REL}/test_soak.cpp LIBS ${XRES_LIBRARY})
target_compile_definitions(soak_update_cycle PRIVATE SOAK_RUNS=200000)
set_tests_properties(soak_update_cycle PROPERTIES TIMEOUT 1800)

# One process per case: the toolkit is set up once per process.
add_executable(test_visuals ${REL}/test_visuals.cpp)
target_link_libraries(test_visuals PRIVATE test_support GTest::gtest_main)
gtest_discover_tests(test_visuals TEST_PREFIX "test_visuals." DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
  PROPERTIES LABELS x11 TIMEOUT 120
  ENVIRONMENT "LUNACLOCK_BINARY=$<TARGET_FILE:lunaclock>;LUNACLOCK_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
hermetic_discovered_tests(test_visuals)

lunaclock_test(test_clock_jumps LABELS x11 SOURCES ${REL}/test_clock_jumps.cpp)

# The real program under libfaketime, its clock stepped while it runs, seen
# through xtrace.
lunaclock_test(test_clock_steps LABELS x11 e2e SOURCES ${REL}/test_clock_steps.cpp LIBS e2e_support)
