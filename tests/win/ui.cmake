# The window base, the window animation component, the application window
# and the guard at the window procedures' edge, on the real windows of the
# program created in-process.
get_property(lex_rc GLOBAL PROPERTY LEX_WIN_RC_FILES)
add_executable(ui_test
  ${CMAKE_CURRENT_LIST_DIR}/ui_animwnd_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_application_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_boundary_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_window_test.cpp
  ${lex_rc})
target_link_libraries(ui_test PRIVATE lexwin gtest_main)
loom_wine_test(ui ui_test)
if(TARGET english_dic)
  add_dependencies(ui_test english_dic)
endif()
# The main window reads and writes the program's registry key, as the other
# window tests' main windows do: they take turns.
set_tests_properties(ui PROPERTIES RESOURCE_LOCK lexprobe_settings)
