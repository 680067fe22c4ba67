# Executable examination speed over the PE files that Wine ships
# (scripts/bench-exeinfo.sh runs it natively and under Wine).
add_executable(exeinfo_bench ${CMAKE_CURRENT_LIST_DIR}/exeinfo_bench.cpp)
if(WIN32)
  target_link_libraries(exeinfo_bench PRIVATE loomlib)
else()
  target_include_directories(exeinfo_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  target_link_libraries(exeinfo_bench PRIVATE loomcore)
endif()

# Memory of the examination on crafted files that repeat one name millions
# of times (bench/exeinfo-memory.sh runs it under Wine).
if(WIN32)
  add_executable(exeinfo_memory_bench ${CMAKE_CURRENT_LIST_DIR}/exeinfo_memory_bench.cpp)
  target_include_directories(exeinfo_memory_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  target_link_libraries(exeinfo_memory_bench PRIVATE loomlib psapi)
endif()
