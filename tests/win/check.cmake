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

# The scan of data in pieces, both builds of the walk and files that change
# while read, built for Windows (the 32-bit build's own SSE2 and plain
# walks, the Win32 file reading).
target_sources(check_win_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/native/check_stream_test.cpp)

# Real Windows files: sparse files of 3 GiB and at the 4 GiB edge, locks,
# paths at the length limit, and the walk the processor check picks.
add_executable(check_file_win_test ${CMAKE_CURRENT_LIST_DIR}/check_file_test.cpp)
target_include_directories(check_file_win_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(check_file_win_test PRIVATE lexcore gtest_main)
loom_wine_test(check.files.win check_file_win_test)

# How the scanner is built: large-address-aware, SSE2 only where it belongs.
add_test(NAME check.build
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/check_build.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:Lexprobe>
          "$<TARGET_OBJECTS:lexcore>"
  COMMAND_EXPAND_LISTS)
set_tests_properties(check.build PROPERTIES LABELS static)

# The generated code page 932 table: its own checks, and the comparison with
# WideCharToMultiByte(932) over every unit of the Japanese ranges.
target_sources(check_win_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/native/check_cp932_test.cpp)
add_executable(check_cp932_win_test ${CMAKE_CURRENT_LIST_DIR}/check_cp932_test.cpp)
target_link_libraries(check_cp932_win_test PRIVATE lexcore gtest_main)
loom_wine_test(check.cp932.win check_cp932_win_test)
