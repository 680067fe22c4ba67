# Differential fuzzing of the string scanner and the English-word marker
# against the reference model in tests/support, seeded with the bundled
# sample.  The core's sources are compiled into the target so that
# libFuzzer's coverage sees them.
get_target_property(LEX_FUZZ_CORE lexcore SOURCES)
loom_fuzz_target(scan_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/scan_fuzz.cpp ${LEX_FUZZ_CORE}
  LIBS loomcore
  INCLUDES ${CMAKE_SOURCE_DIR}/app ${CMAKE_SOURCE_DIR}/tests/support
  SEEDS ${CMAKE_SOURCE_DIR}/samples
  SECONDS 20
  ARGS -max_len=4096)
# The resource reader on arbitrary bytes, and the scan that lists its
# texts, seeded with the resource-only DLLs of the native test
# (tests/native/scan.cmake builds them).
loom_fuzz_target(scan_resources_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/scan_resources_fuzz.cpp ${LEX_FUZZ_CORE}
  LIBS loomcore
  INCLUDES ${CMAKE_SOURCE_DIR}/app ${CMAKE_SOURCE_DIR}/tests/support
  SEEDS ${LEX_RESTEXTS_DIR}/dll
  SECONDS 10
  ARGS -max_len=16384)
add_dependencies(scan_resources_fuzz_replay cp932_table japanese_model restexts_fixtures)
if(TARGET scan_resources_fuzz)
  add_dependencies(scan_resources_fuzz cp932_table japanese_model restexts_fixtures)
endif()
# The core's code page 932 table is generated in the program's folder.
add_dependencies(scan_fuzz_replay cp932_table)
if(TARGET scan_fuzz)
  add_dependencies(scan_fuzz cp932_table)
endif()
# So is the Japanese-text judge's model.
add_dependencies(scan_fuzz_replay japanese_model)
if(TARGET scan_fuzz)
  add_dependencies(scan_fuzz japanese_model)
endif()
