# The archive readers' parsers of untrusted bytes: the LHA search and header
# reader, the LHA decoder and the ZIP walk, seeded with archives of every
# header level and method that the real tools write
# (tests/fuzz/make-archive-seeds.sh).
get_target_property(LOOM_FUZZ_CORE loomcore SOURCES)
foreach(target lha decoder zip)
  loom_fuzz_target(archive_${target}_fuzz
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive_${target}_fuzz.cpp ${LOOM_FUZZ_CORE}
    INCLUDES ${CMAKE_SOURCE_DIR}/lib ${CMAKE_SOURCE_DIR}/tests/support
    SEEDS ${CMAKE_CURRENT_LIST_DIR}/seeds/archive_${target}
    SECONDS 10)
endforeach()
# Optimised a little (sanitizers stay): the decoder target unpacks up to
# 512 KiB per input, which at -O0 holds the rate to a few dozen inputs a
# second.
foreach(target lha decoder zip)
  target_compile_options(archive_${target}_fuzz PRIVATE -O1)
endforeach()
