# Checks on the compiled-in moon pictures; included by tests/CMakeLists.txt,
# which has enabled testing and found GTest.
add_executable(test_artwork ${CMAKE_CURRENT_LIST_DIR}/test_artwork.cpp)
target_link_libraries(test_artwork PRIVATE moon_assets GTest::gtest_main)
add_test(NAME test_artwork COMMAND test_artwork)
