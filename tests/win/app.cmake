# Lexprobe's windows, created in-process and driven with the messages a
# user's actions produce; the settings go through the prefix's registry.
get_property(lex_rc GLOBAL PROPERTY LEX_WIN_RC_FILES)
add_executable(app_test
  ${CMAKE_CURRENT_LIST_DIR}/mainform_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mainform_files_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/optform_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/boundary_test.cpp
  ${lex_rc})
target_link_libraries(app_test PRIVATE lexwin gtest_main)
loom_wine_test(app app_test)
if(TARGET english_dic)
  add_dependencies(app_test english_dic)
endif()

# What an installation holds: the program with its word list and library.
add_test(NAME app.files COMMAND sh -c
  "cd '${CMAKE_BINARY_DIR}/bin' && test -s Lexprobe.exe && test -s English.dic && test -s loomlib.dll")
set_tests_properties(app.files PROPERTIES LABELS static)
