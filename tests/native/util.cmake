add_executable(util_native_test
  ${CMAKE_CURRENT_LIST_DIR}/util_mbcs_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/util_strlist_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/util_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/util_path_test.cpp)
target_link_libraries(util_native_test PRIVATE loomcore gtest_main)
add_test(NAME util.native COMMAND util_native_test)
