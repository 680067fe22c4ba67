# The results list's row store and list commands, and the results file's
# rules.
add_executable(rowstore_test
  ${CMAKE_CURRENT_LIST_DIR}/rowstore_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultsfile_test.cpp)
target_link_libraries(rowstore_test PRIVATE lexcore gtest_main)
add_test(NAME rowstore COMMAND rowstore_test)

# The program's start-up: the file named on the command line.
add_executable(cmdline_test ${CMAKE_CURRENT_LIST_DIR}/lexprobe_cmdline_test.cpp)
target_link_libraries(cmdline_test PRIVATE lexcore gtest_main)
add_test(NAME cmdline COMMAND cmdline_test)
