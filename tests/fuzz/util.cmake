# libFuzzer target for the text filters and the size formatting.  The ctest
# run is bounded to a few seconds; run it longer by hand:
#   build/native/bin/util_text_fuzz -max_total_time=600
add_executable(util_text_fuzz ${CMAKE_CURRENT_LIST_DIR}/util_text_fuzz.cpp)
target_link_libraries(util_text_fuzz PRIVATE loomcore)
target_compile_options(util_text_fuzz PRIVATE -fsanitize=fuzzer)
target_link_options(util_text_fuzz PRIVATE -fsanitize=fuzzer)
add_test(NAME util.fuzz.text COMMAND util_text_fuzz -max_total_time=5 -seed=1
         -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz-)
set_tests_properties(util.fuzz.text PROPERTIES LABELS fuzz TIMEOUT 60)
