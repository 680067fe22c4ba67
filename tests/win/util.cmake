# The utility exports as a program of the suite calls them: through the
# import library of loomlib.dll, against the prefix's registry and real files.
add_executable(util_test
  ${CMAKE_CURRENT_LIST_DIR}/util_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/util_reg_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/util_files_test.cpp)
target_link_libraries(util_test PRIVATE loomlib gtest_main)
loom_wine_test(util util_test)
