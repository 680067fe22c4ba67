# The settings record's integer parser, the settings dialog's rules and the
# number box's value, without a window.
add_executable(settings_test
  ${CMAKE_CURRENT_LIST_DIR}/settings_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_dialog_test.cpp)
target_link_libraries(settings_test PRIVATE lexcore gtest_main)
add_test(NAME settings.unit COMMAND settings_test)
