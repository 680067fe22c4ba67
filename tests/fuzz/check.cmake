# Differential fuzzing of the string scanner and the English-word marker
# against the reference model in tests/support.  The core's sources are
# compiled into the target so that libFuzzer's coverage sees them.
get_target_property(LEX_FUZZ_CORE lexcore SOURCES)
add_executable(check_scan_fuzz ${CMAKE_CURRENT_LIST_DIR}/check_scan_fuzz.cpp ${LEX_FUZZ_CORE})
target_link_libraries(check_scan_fuzz PRIVATE loomcore)
target_include_directories(check_scan_fuzz PRIVATE ${CMAKE_SOURCE_DIR}/app
                                                   ${CMAKE_SOURCE_DIR}/tests/support)
target_compile_options(check_scan_fuzz PRIVATE -fsanitize=fuzzer)
target_link_options(check_scan_fuzz PRIVATE -fsanitize=fuzzer)

# A bounded run as a test, seeded with the bundled sample; run it longer by
# hand with e.g. -max_total_time=600.  The corpus directory lives in the
# build tree so that the fuzzer's findings never land in the sources.
set(LEX_FUZZ_CORPUS ${CMAKE_BINARY_DIR}/fuzz-corpus/check)
file(MAKE_DIRECTORY ${LEX_FUZZ_CORPUS})
file(COPY ${CMAKE_SOURCE_DIR}/samples/sample.bin DESTINATION ${LEX_FUZZ_CORPUS})
add_test(NAME check.fuzz
  COMMAND check_scan_fuzz -max_total_time=20 -max_len=4096 -timeout=10 ${LEX_FUZZ_CORPUS})
set_tests_properties(check.fuzz PROPERTIES TIMEOUT 120)
