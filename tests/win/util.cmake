# The utility exports as a program of the suite calls them: through the
# import library of loomlib.dll, against the prefix's registry and real files.
# The drive R: is mapped to a folder of the build tree for the test run.
add_executable(util_test
  ${CMAKE_CURRENT_LIST_DIR}/util_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/util_reg_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/util_files_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/util_path_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/util_guard_test.cpp)
target_link_libraries(util_test PRIVATE loomlib gtest_main)
loom_wine_test(util sh ${CMAKE_CURRENT_LIST_DIR}/with-test-drive.sh ${LOOM_WINEPREFIX}
               ${LOOM_WINE_STATE}/drive-r ${CMAKE_BINARY_DIR}/wine-run $<TARGET_FILE:util_test>)
