# The Windows console front end (bin/cli/lexprobe.exe) under Wine: the same
# checks as the native one, through the Win32 file reading.
loom_wine_test(check.cli.win sh ${CMAKE_SOURCE_DIR}/tests/native/cli_test.sh
               $<TARGET_FILE:lexprobe> ${CMAKE_BINARY_DIR}/wine-run)

# The dictionary (sorted by the locale's collation here) and the integer
# parser, built for Windows.
add_executable(check_win_test
  ${CMAKE_SOURCE_DIR}/tests/native/check_dictionary_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/native/check_settings_test.cpp)
target_include_directories(check_win_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(check_win_test PRIVATE lexcore gtest_main)
loom_wine_test(check.unit.win check_win_test)

# The generated English.dic as the Windows build loads it (sorted by the
# locale's collation).
add_executable(check_dic_win_test
  ${CMAKE_SOURCE_DIR}/tests/native/check_english_dic_test.cpp)
target_link_libraries(check_dic_win_test PRIVATE lexcore gtest_main)
add_dependencies(check_dic_win_test english_dic)
loom_wine_test(check.english_dic.win check_dic_win_test)
