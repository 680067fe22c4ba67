# The program's start-up: the file named on the command line.
add_executable(startup_test ${CMAKE_CURRENT_LIST_DIR}/startup_cmdline_test.cpp)
target_link_libraries(startup_test PRIVATE lexcore gtest_main)
add_test(NAME startup.unit COMMAND startup_test)
