# Scanner and marker throughput (scripts/bench-scan.sh runs it on a 200 MB
# corpus and compares with GNU strings).
if(NOT WIN32)
  add_executable(scan_bench ${CMAKE_CURRENT_LIST_DIR}/scan_bench.cpp)
  target_include_directories(scan_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  target_link_libraries(scan_bench PRIVATE lexcore)
endif()
