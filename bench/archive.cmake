# The archive readers' extraction speed against lha, lhasa and unzip; run
# with bench/archive-bench.sh after building the native-release preset.
if(NOT WIN32)
  add_executable(archive_bench ${CMAKE_CURRENT_LIST_DIR}/archive_bench.cpp)
  target_link_libraries(archive_bench PRIVATE loomcore)
endif()
