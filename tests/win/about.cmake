# The version dialog and the Help menu on a real main window in this
# process, with the real loomlib.dll; the shell is watched, and called only
# with a stand-in mail program.
get_property(lex_rc GLOBAL PROPERTY LEX_WIN_RC_FILES)
add_executable(about_test ${CMAKE_CURRENT_LIST_DIR}/about_test.cpp ${lex_rc})
target_link_libraries(about_test PRIVATE lexwin gtest_main)
add_dependencies(about_test readme_htm)
# The stand-in mail program of the real-shell mail test.
if(TARGET mail_catcher)
  add_dependencies(about_test mail_catcher)
endif()
if(TARGET english_dic)
  add_dependencies(about_test english_dic)
endif()
loom_wine_test(about about_test)
# The window tests start the real main window, which reads and writes the
# program's registry key; the prefix is shared, so they take turns.
set_tests_properties(about PROPERTIES RESOURCE_LOCK lexprobe_settings)

# The program takes exactly three functions from the library.
add_test(NAME about.imports COMMAND ${CMAKE_CURRENT_LIST_DIR}/about_imports.sh
         ${CMAKE_OBJDUMP} $<TARGET_FILE:Lexprobe>)
# readme.htm is installed beside the program.
add_test(NAME about.readme COMMAND sh -c
  "test -s '${CMAKE_BINARY_DIR}/bin/readme.htm' && grep -q 'id=\"file-size-limit\"' '${CMAKE_BINARY_DIR}/bin/readme.htm'")
set_tests_properties(about.imports about.readme PROPERTIES LABELS static)
