add_executable(res_test ${CMAKE_CURRENT_LIST_DIR}/res_test.cpp)
target_link_libraries(res_test PRIVATE gtest_main)
add_dependencies(res_test loomlib Lexprobe)
loom_wine_test(res res_test)
