# Processor naming, platform decisions and the system report's text, from
# fake processor answers and platform facts.
add_executable(sysinfo_native_test
  ${CMAKE_CURRENT_LIST_DIR}/sysinfo_cpu_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sysinfo_platform_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sysinfo_report_test.cpp)
target_compile_definitions(sysinfo_native_test PRIVATE
  LOOM_STRINGS_RC="${CMAKE_SOURCE_DIR}/lib/res/strings.rc")
target_link_libraries(sysinfo_native_test PRIVATE loomcore gtest_main)
add_test(NAME sysinfo.native COMMAND sysinfo_native_test)
