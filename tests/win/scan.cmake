# The Windows console front end (bin/cli/lexprobe.exe) under Wine: the same
# checks as the native one, through the Win32 file reading.
loom_wine_test(cli.win sh ${CMAKE_SOURCE_DIR}/tests/native/cli_test.sh
               $<TARGET_FILE:lexprobe> ${CMAKE_BINARY_DIR}/wine-run)
# The program itself is the PE file with resources for --search-resources.
set_tests_properties(cli.win PROPERTIES
  ENVIRONMENT_MODIFICATION "LEX_PE_FILE=set:${CMAKE_BINARY_DIR}/bin/Lexprobe.exe")

# The portable core built for Windows: the dictionary (sorted by the
# locale's collation here), the integer parser, the scan of data in pieces
# with each build of the walk (the 32-bit build's own plain, SSE2 and AVX2
# walks, the Win32 file reading), and the code page 932 table.
add_executable(core_win_test
  ${CMAKE_SOURCE_DIR}/tests/native/words_dictionary_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/native/settings_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/native/scan_stream_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/native/scan_cp932_test.cpp)
target_include_directories(core_win_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(core_win_test PRIVATE lexcore gtest_main)
loom_wine_test(core.win core_win_test)

# The generated English.dic as the Windows build loads it (sorted by the
# locale's collation).
add_executable(words_english_dic_win_test
  ${CMAKE_SOURCE_DIR}/tests/native/words_english_dic_test.cpp)
target_link_libraries(words_english_dic_win_test PRIVATE lexcore gtest_main)
add_dependencies(words_english_dic_win_test english_dic)
loom_wine_test(words.english_dic.win words_english_dic_win_test)

# Real Windows files: sparse files of 3 GiB and at the 4 GiB edge, locks,
# paths at the length limit, the walk the processor check picks, and the
# resource texts of Lexprobe.exe.
add_executable(scan_file_win_test ${CMAKE_CURRENT_LIST_DIR}/scan_file_test.cpp)
target_include_directories(scan_file_win_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(scan_file_win_test PRIVATE lexcore gtest_main)
# It reads the resource texts of the program itself.
add_dependencies(scan_file_win_test Lexprobe)
loom_wine_test(scan.files.win scan_file_win_test)

# How the scanner is built: large-address-aware, SSE2 and AVX2 only where
# they belong.
add_test(NAME scan.build
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/scan_build.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:Lexprobe>
          "$<TARGET_OBJECTS:lexcore>"
  COMMAND_EXPAND_LISTS)
set_tests_properties(scan.build PROPERTIES LABELS static)

# The generated code page 932 table compared with WideCharToMultiByte(932)
# over every unit of the Japanese ranges.
add_executable(scan_cp932_win_test ${CMAKE_CURRENT_LIST_DIR}/scan_cp932_test.cpp)
target_link_libraries(scan_cp932_win_test PRIVATE lexcore gtest_main)
loom_wine_test(scan.cp932.win scan_cp932_win_test)
