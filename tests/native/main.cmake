# The results list's row store and list commands, and the results file's
# rules.
add_executable(rowstore_test
  ${CMAKE_CURRENT_LIST_DIR}/rowstore_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultsfile_test.cpp)
target_link_libraries(rowstore_test PRIVATE lexcore gtest_main)
add_test(NAME rowstore COMMAND rowstore_test)
