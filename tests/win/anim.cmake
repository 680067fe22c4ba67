# The window animation component and the application window, on the real
# windows of the program created in-process.
get_property(lex_rc GLOBAL PROPERTY LEX_WIN_RC_FILES)
add_executable(anim_test
  ${CMAKE_CURRENT_LIST_DIR}/animwnd_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/application_test.cpp
  ${lex_rc})
target_link_libraries(anim_test PRIVATE lexwin gtest_main)
loom_wine_test(anim anim_test)
if(TARGET english_dic)
  add_dependencies(anim_test english_dic)
endif()
# The main window reads and writes the program's registry key, as the other
# window tests' main windows do: they take turns.
set_tests_properties(anim PROPERTIES RESOURCE_LOCK lexprobe_settings)
