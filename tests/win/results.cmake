# The results list and its control class, on real list views under Wine.
add_executable(results_test
  ${CMAKE_CURRENT_LIST_DIR}/results_listview_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/results_list_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/results_save_test.cpp)
target_link_libraries(results_test PRIVATE lexwin gtest_main)
loom_wine_test(results results_test)
# The programs that look at the keyboard focus run one at a time: two at
# once take the focus from each other on the one display.
set_tests_properties(results PROPERTIES RESOURCE_LOCK gui_focus)
