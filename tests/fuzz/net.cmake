# The URL and address texts of the network exports, and the answers of
# servers that the own client checks for being whole.
get_target_property(LOOM_FUZZ_CORE loomcore SOURCES)
loom_fuzz_target(net_url_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_url_fuzz.cpp ${LOOM_FUZZ_CORE}
  INCLUDES ${CMAKE_SOURCE_DIR}/lib
  SEEDS ${CMAKE_CURRENT_LIST_DIR}/seeds/net_url
  SECONDS 5)
