# The system information exports on the machine Wine presents: the report
# checked against the platform's own answers, the processor record, the
# running-instance search on windows the test creates, and the platform
# requirement under Windows versions that Wine reports to a probe program.
add_executable(sysinfo_probe ${CMAKE_CURRENT_LIST_DIR}/sysinfo_probe.cpp)
target_link_libraries(sysinfo_probe PRIVATE loomlib)

# CountDirectoryFiles is no export: the test builds its own copy.
add_executable(sysinfo_test ${CMAKE_CURRENT_LIST_DIR}/sysinfo_test.cpp
               ${CMAKE_SOURCE_DIR}/lib/sysinfo/dircount_win.cpp)
target_link_libraries(sysinfo_test PRIVATE loomlib loomcore gtest_main)
add_dependencies(sysinfo_test sysinfo_probe)
loom_wine_test(sysinfo sysinfo_test)
