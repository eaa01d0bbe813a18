# The accuracy report: the program's phase instants and distances against the
# published tables in tests/data/, and moonrise and moonset against the physics.
# Its output is docs/accuracy.md (make accuracy).
add_executable(accuracy_report ${CMAKE_CURRENT_LIST_DIR}/accuracy_report.cpp ${CMAKE_CURRENT_LIST_DIR}/rise_set_accuracy.cpp)
# test_dates.h is header-only and needs nothing of the tests but calendar.h.
target_include_directories(accuracy_report PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${PROJECT_SOURCE_DIR}/tests/support
                           ${NOVA_INCLUDE_DIR})
target_compile_definitions(accuracy_report PRIVATE LUNACLOCK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
target_link_libraries(accuracy_report PRIVATE lunaclock_core)
