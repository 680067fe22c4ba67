# The settings dialog's rules and the number box's value, without a window.
add_executable(option_test ${CMAKE_CURRENT_LIST_DIR}/option_test.cpp)
target_link_libraries(option_test PRIVATE lexcore gtest_main)
add_test(NAME option.unit COMMAND option_test)
