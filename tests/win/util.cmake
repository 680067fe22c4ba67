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

# The window, shell and file-search exports; the theme exports also in a
# probe process that Wine tells another system version.
add_executable(theme_probe ${CMAKE_CURRENT_LIST_DIR}/theme_probe.cpp)
target_link_libraries(theme_probe PRIVATE loomlib)
add_executable(util_shell_test ${CMAKE_CURRENT_LIST_DIR}/util_shell_test.cpp)
target_link_libraries(util_shell_test PRIVATE loomlib comctl32 gtest_main)
add_dependencies(util_shell_test theme_probe)
loom_wine_test(util.shell util_shell_test)
