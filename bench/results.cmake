# Timings of the list commands on a million rows.
add_executable(rowstore_bench ${CMAKE_CURRENT_LIST_DIR}/rowstore_bench.cpp)
target_link_libraries(rowstore_bench PRIVATE lexcore)

# The results list with a million rows in a real owner-data list view; run
# under Wine with bench/list-bench.sh.
if(WIN32)
  add_executable(list_bench ${CMAKE_CURRENT_LIST_DIR}/list_bench.cpp)
  target_link_libraries(list_bench PRIVATE lexwin)
endif()
