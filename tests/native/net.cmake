add_executable(net_native_test ${CMAKE_CURRENT_LIST_DIR}/net_http_test.cpp)
target_link_libraries(net_native_test PRIVATE loomcore gtest_main)
add_test(NAME net.native COMMAND net_native_test)
