# The phase instants and distances against the published tables in tests/data/.
lunaclock_test(test_accuracy LABELS core SOURCES test_accuracy.cpp)
target_include_directories(test_accuracy PRIVATE ${PROJECT_SOURCE_DIR}/tools)
