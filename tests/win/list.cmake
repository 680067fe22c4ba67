# The results list and its control class, on real list views under Wine.
add_executable(list_test
  ${CMAKE_CURRENT_LIST_DIR}/listviewxp_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultslist_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultslist_save_test.cpp)
target_link_libraries(list_test PRIVATE lexwin gtest_main)
loom_wine_test(list list_test)
