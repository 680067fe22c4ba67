# Native tests of the string scanner, the word dictionary, the settings
# parser and the command-line front end.
add_executable(check_test
  ${CMAKE_CURRENT_LIST_DIR}/check_scanner_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/check_dictionary_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/check_settings_test.cpp)
target_include_directories(check_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(check_test PRIVATE lexcore gtest_main)
add_test(NAME check.unit COMMAND check_test)

# The front end as a user runs it: exit codes, messages, output bytes.
add_test(NAME check.cli
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/cli_test.sh $<TARGET_FILE:lexprobe>)
