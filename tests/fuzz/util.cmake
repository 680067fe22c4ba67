# The text filters and the size formatting against their own limits.
get_target_property(LOOM_FUZZ_CORE loomcore SOURCES)
loom_fuzz_target(util_text_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/util_text_fuzz.cpp ${LOOM_FUZZ_CORE}
  INCLUDES ${CMAKE_SOURCE_DIR}/lib
  SECONDS 5)
