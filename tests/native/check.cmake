# Native tests of the string scanner, the word dictionary, the settings
# parser and the command-line front end.
add_executable(check_test
  ${CMAKE_CURRENT_LIST_DIR}/check_scanner_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/check_stream_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/check_dictionary_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/check_settings_test.cpp)
target_include_directories(check_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(check_test PRIVATE lexcore gtest_main)
add_test(NAME check.unit COMMAND check_test)

# The front end as a user runs it: exit codes, messages, output bytes.
add_test(NAME check.cli
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/cli_test.sh $<TARGET_FILE:lexprobe>)

# The generated English.dic beside the programs: format and marking.
add_executable(check_dic_test
  ${CMAKE_CURRENT_LIST_DIR}/check_english_dic_test.cpp)
target_link_libraries(check_dic_test PRIVATE lexcore gtest_main)
add_dependencies(check_dic_test english_dic)
add_test(NAME check.english_dic COMMAND check_dic_test)

# The rules of scripts/make-dictionary.sh on word lists made for the test.
add_test(NAME check.make_dictionary
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/make_dictionary_test.sh
          ${CMAKE_SOURCE_DIR}/scripts/make-dictionary.sh)

# The generated code page 932 table of Japanese UTF-16 code units.
target_sources(check_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/check_cp932_test.cpp)
