# Native tests of the word dictionary and the English-word marker.
add_executable(words_test ${CMAKE_CURRENT_LIST_DIR}/words_dictionary_test.cpp)
target_link_libraries(words_test PRIVATE lexcore gtest_main)
add_test(NAME words.unit COMMAND words_test)

# The generated English.dic beside the programs: format and marking.
add_executable(words_english_dic_test ${CMAKE_CURRENT_LIST_DIR}/words_english_dic_test.cpp)
target_link_libraries(words_english_dic_test PRIVATE lexcore gtest_main)
add_dependencies(words_english_dic_test english_dic)
add_test(NAME words.english_dic COMMAND words_english_dic_test)

# The rules of scripts/make-dictionary.sh on word lists made for the test.
add_test(NAME words.make_dictionary
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/words_make_dictionary_test.sh
          ${CMAKE_SOURCE_DIR}/scripts/make-dictionary.sh)
