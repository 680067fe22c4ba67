# Text handling of the version resource reader.
add_executable(version_native_test ${CMAKE_CURRENT_LIST_DIR}/version_test.cpp)
target_link_libraries(version_native_test PRIVATE loomcore gtest_main)
add_test(NAME version.native COMMAND version_native_test)

# The executable examination on files as a tool: exe_dump prints what it
# finds, for the comparison with objdump and for looking at a file by hand.
add_executable(exe_dump ${CMAKE_CURRENT_LIST_DIR}/exe_dump.cpp)
target_link_libraries(exe_dump PRIVATE loomcore)

# The executable examination on crafted headers and buffers.
add_executable(version_exe_test
  ${CMAKE_CURRENT_LIST_DIR}/version_exe_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/version_exescan_test.cpp)
target_link_libraries(version_exe_test PRIVATE loomcore gtest_main)
add_test(NAME version.exe COMMAND version_exe_test)

# Real executables compared with what objdump reads from them: the fixtures
# built here and every tenth PE file that Wine ships (by hand, all of them:
#   tests/native/exe_objdump_check.py build/native/bin/exe_dump --wine DIR).
include(${CMAKE_SOURCE_DIR}/tests/exe_fixtures.cmake)
loom_exe_fixtures(${CMAKE_BINARY_DIR}/exefix)
add_test(NAME version.exe.objdump
  COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/exe_objdump_check.py
          $<TARGET_FILE:exe_dump> ${LOOM_EXE_FIXTURES}
          --wine /usr/lib/i386-linux-gnu/wine/i386-windows
          --wine /usr/lib/x86_64-linux-gnu/wine/x86_64-windows --every 10)
set_tests_properties(version.exe.objdump PROPERTIES TIMEOUT 900)

# The version dialog's texts with the library's real messages.
add_executable(version_verdlg_test ${CMAKE_CURRENT_LIST_DIR}/version_verdlg_test.cpp)
target_compile_definitions(version_verdlg_test PRIVATE
  LOOM_STRINGS_RC="${CMAKE_SOURCE_DIR}/lib/res/strings.rc")
target_link_libraries(version_verdlg_test PRIVATE loomcore gtest_main)
add_test(NAME version.verdlg COMMAND version_verdlg_test)
