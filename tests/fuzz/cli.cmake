# The front end's lines of a row in every format against the length they
# promise and the well-formedness of their UTF-8.
get_target_property(LEX_FUZZ_CORE lexcore SOURCES)
loom_fuzz_target(cli_lines_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cli_lines_fuzz.cpp ${CMAKE_SOURCE_DIR}/app/cli/lines.cpp
          ${LEX_FUZZ_CORE}
  LIBS loomcore
  INCLUDES ${CMAKE_SOURCE_DIR}/app
  SEEDS ${CMAKE_SOURCE_DIR}/samples
  SECONDS 10
  ARGS -max_len=1024)
add_dependencies(cli_lines_fuzz_replay cp932_table)
if(TARGET cli_lines_fuzz)
  add_dependencies(cli_lines_fuzz cp932_table)
endif()
