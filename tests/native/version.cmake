# Text handling of the version resource reader.
add_executable(version_native_test ${CMAKE_CURRENT_LIST_DIR}/version_test.cpp)
target_link_libraries(version_native_test PRIVATE loomcore gtest_main)
add_test(NAME version.native COMMAND version_native_test)

# The executable examination on files as a tool: exe_dump prints what it
# finds, for the comparison with objdump and for looking at a file by hand.
add_executable(exe_dump ${CMAKE_CURRENT_LIST_DIR}/exe_dump.cpp)
target_include_directories(exe_dump PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(exe_dump PRIVATE loomcore)

# The executable examination on crafted headers and buffers.
add_executable(version_exe_test
  ${CMAKE_CURRENT_LIST_DIR}/version_exe_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/version_exescan_test.cpp)
target_include_directories(version_exe_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(version_exe_test PRIVATE loomcore gtest_main)
add_test(NAME version.exe COMMAND version_exe_test)
