# Native tests of the Japanese-text judge: rule cases from real failures.
add_executable(japanese_test ${CMAKE_CURRENT_LIST_DIR}/japanese_judge_test.cpp)
target_link_libraries(japanese_test PRIVATE lexcore gtest_main)
add_test(NAME japanese.unit COMMAND japanese_test)
