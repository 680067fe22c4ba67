# The settings dialog on the real main window, and the settings' registry
# form in the prefix's registry.
get_property(lex_rc GLOBAL PROPERTY LEX_WIN_RC_FILES)
add_executable(settings_dialog_test ${CMAKE_CURRENT_LIST_DIR}/settings_dialog_test.cpp ${lex_rc})
target_include_directories(settings_dialog_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(settings_dialog_test PRIVATE lexwin gtest_main)
loom_wine_test(settings settings_dialog_test)
if(TARGET english_dic)
  add_dependencies(settings_dialog_test english_dic)
endif()
set_tests_properties(settings PROPERTIES RESOURCE_LOCK lexprobe_settings)
