# Timings of the list commands on a million rows.
add_executable(rowstore_bench ${CMAKE_CURRENT_LIST_DIR}/rowstore_bench.cpp)
target_link_libraries(rowstore_bench PRIVATE lexcore)
