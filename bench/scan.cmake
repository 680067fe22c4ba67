# Scanner and marker throughput (scripts/bench-scan.sh runs it on a 200 MB
# corpus and compares with GNU strings).  The Windows builds build it too,
# to split the time of the 32-bit scan under Wine the same way.
add_executable(scan_bench ${CMAKE_CURRENT_LIST_DIR}/scan_bench.cpp)
target_include_directories(scan_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(scan_bench PRIVATE lexcore)

# The scan core with each build of the walk (plain, SSE2, AVX2), natively
# and under Wine: bench/walk-bench.sh.
add_executable(walk_bench ${CMAKE_CURRENT_LIST_DIR}/walk_bench.cpp)
target_link_libraries(walk_bench PRIVATE lexcore)

# The resource reader on the machine's PE files (bench/resources-bench.sh):
# texts per kind, damaged entries, time per MB.  Native only: it reads the
# files with pread.
if(NOT WIN32)
  add_executable(resources_bench ${CMAKE_CURRENT_LIST_DIR}/resources_bench.cpp)
  target_include_directories(resources_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  target_link_libraries(resources_bench PRIVATE lexcore)
endif()
