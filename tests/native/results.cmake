# The results list's row store and list commands, and the results file's
# rules.
add_executable(results_test
  ${CMAKE_CURRENT_LIST_DIR}/results_rowstore_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/results_file_test.cpp)
target_link_libraries(results_test PRIVATE lexcore gtest_main)
add_test(NAME results.unit COMMAND results_test)
