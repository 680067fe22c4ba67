# loom_fuzz_target(<name> SOURCES <files...> [LIBS <targets...>]
#                  [INCLUDES <dirs...>] [SEEDS <folders...>]
#                  [SECONDS <n>] [ARGS <libFuzzer options...>])
#
# Put the sources of the code under test into SOURCES (not only into LIBS):
# libFuzzer's coverage instrumentation reaches only what the target itself
# compiles.  Both programs link the libraries that loomcore's sources need
# (zlib), so a target may compile all of loomcore's sources.  SEEDS are folders; libFuzzer reads them but writes its own
# findings into the corpus in the build tree, never into the sources.
#
# Builds two programs from one entry point (LLVMFuzzerTestOneInput):
#   <name>         the libFuzzer target, for long runs by hand:
#                    build/native/bin/<name> -max_total_time=3600 <corpus>
#   <name>_replay  a plain program that runs every file it is given once,
#                  under the sanitizers of the native build.
# and registers two tests:
#   fuzz.<name>         a bounded libFuzzer run (SECONDS, default 10) over a
#                       corpus in the build tree seeded from SEEDS;
#   fuzz.<name>.replay  the seeds and tests/fuzz/regressions/<name>/, the
#                       inputs that once found a fault, one file per fault.
function(loom_fuzz_target name)
  cmake_parse_arguments(F "" "SECONDS" "SOURCES;LIBS;INCLUDES;SEEDS;ARGS" ${ARGN})
  if(NOT F_SECONDS)
    set(F_SECONDS 10)
  endif()
  set(regressions ${CMAKE_SOURCE_DIR}/tests/fuzz/regressions/${name})

  set(core_libs $<TARGET_PROPERTY:loomcore,INTERFACE_LINK_LIBRARIES>)
  add_executable(${name}_replay ${CMAKE_SOURCE_DIR}/tests/fuzz/replay_main.cpp ${F_SOURCES})
  target_include_directories(${name}_replay PRIVATE ${F_INCLUDES})
  target_link_libraries(${name}_replay PRIVATE ${F_LIBS} ${core_libs})
  add_test(NAME fuzz.${name}.replay COMMAND ${name}_replay ${F_SEEDS} ${regressions})
  set_tests_properties(fuzz.${name}.replay PROPERTIES LABELS fuzz TIMEOUT 300)
  file(MAKE_DIRECTORY ${regressions})

  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_executable(${name} ${F_SOURCES})
    target_include_directories(${name} PRIVATE ${F_INCLUDES})
    target_link_libraries(${name} PRIVATE ${F_LIBS} ${core_libs})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(corpus ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
    file(MAKE_DIRECTORY ${corpus})
    add_test(NAME fuzz.${name}
      COMMAND ${name} -max_total_time=${F_SECONDS} -timeout=10 -seed=1
              -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz-${name}- ${F_ARGS}
              ${corpus} ${F_SEEDS} ${regressions})
    math(EXPR limit "${F_SECONDS} * 4 + 60")
    set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz TIMEOUT ${limit})
  endif()
endfunction()
