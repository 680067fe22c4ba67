# The Japanese-text judge measured offline: judge_rows applies it to the
# rows of the native front end (scripts/japanese-files.sh), and
# judge_bench times it per row.  Native builds only: both read files the
# POSIX way and feed the scripts.
if(NOT WIN32)
  add_executable(judge_rows ${CMAKE_CURRENT_LIST_DIR}/judge_rows.cpp)
  target_link_libraries(judge_rows PRIVATE lexcore)
  add_executable(judge_bench ${CMAKE_CURRENT_LIST_DIR}/judge_bench.cpp)
  target_link_libraries(judge_bench PRIVATE lexcore)
endif()
