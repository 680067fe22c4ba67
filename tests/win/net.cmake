# The network exports against servers on the loopback address.  The test runs
# through net_servers.py, which starts the servers, hands their ports to the
# program and stops them (and restores the prefix's services database) on
# every path.
add_executable(net_test
  ${CMAKE_CURRENT_LIST_DIR}/net_lookup_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/net_client_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/net_download_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/net_update_test.cpp)
target_include_directories(net_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(net_test PRIVATE loomlib gtest_main wsock32 urlmon comctl32)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME net
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/net_servers.py
          ${LOOM_WINEPREFIX}/drive_c/windows/system32/drivers/etc/services
          ${CMAKE_BINARY_DIR}/wine-run $<TARGET_FILE:net_test>)
set_tests_properties(net PROPERTIES FIXTURES_REQUIRED wine LABELS wine TIMEOUT 600
                     RESOURCE_LOCK wine-services)
