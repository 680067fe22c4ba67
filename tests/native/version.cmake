# Text handling of the version resource reader.
add_executable(version_native_test ${CMAKE_CURRENT_LIST_DIR}/version_test.cpp)
target_link_libraries(version_native_test PRIVATE loomcore gtest_main)
add_test(NAME version.native COMMAND version_native_test)
