# Lexprobe's main window, created in-process and driven with the messages a
# user's actions produce; the settings go through the prefix's registry.
get_property(lex_rc GLOBAL PROPERTY LEX_WIN_RC_FILES)
add_executable(mainwindow_test
  ${CMAKE_CURRENT_LIST_DIR}/mainwindow_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mainwindow_scan_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mainwindow_progress_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mainwindow_files_test.cpp
  ${lex_rc})
target_include_directories(mainwindow_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(mainwindow_test PRIVATE lexwin gtest_main)
loom_wine_test(mainwindow mainwindow_test)
if(TARGET english_dic)
  add_dependencies(mainwindow_test english_dic)
endif()
set_tests_properties(mainwindow PROPERTIES RESOURCE_LOCK lexprobe_settings)

# What an installation holds: the program with its word list and library.
add_test(NAME install.files COMMAND sh -c
  "cd '${CMAKE_BINARY_DIR}/bin' && test -s Lexprobe.exe && test -s English.dic && test -s loomlib.dll")
set_tests_properties(install.files PROPERTIES LABELS static)

# The installation archive unpacked into an empty folder, and the program
# started from there.
get_property(lex_archive GLOBAL PROPERTY LEX_ARCHIVE)
if(lex_archive)
  add_executable(install_test ${CMAKE_CURRENT_LIST_DIR}/install_test.cpp)
  target_link_libraries(install_test PRIVATE lexcore comctl32 gtest_main)
  add_dependencies(install_test archive)
  loom_wine_test(install sh ${CMAKE_CURRENT_LIST_DIR}/install_test.sh ${lex_archive}
                 ${CMAKE_BINARY_DIR}/install-test ${CMAKE_BINARY_DIR}/wine-run
                 $<TARGET_FILE:install_test>)
  # The program it starts keeps its settings in the prefix's registry.
  set_tests_properties(install PROPERTIES RESOURCE_LOCK lexprobe_settings)
endif()
