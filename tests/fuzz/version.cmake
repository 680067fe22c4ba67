# The executable examination on arbitrary bytes, seeded with crafted images
# of every format (written at build time by version_exe_seeds) and with the
# real mingw-built fixtures of the native tests.
get_target_property(LOOM_FUZZ_CORE loomcore SOURCES)
set(LOOM_EXE_SEEDS ${CMAKE_BINARY_DIR}/fuzz-seeds/version_exe)
add_executable(version_exe_seeds ${CMAKE_CURRENT_LIST_DIR}/version_exe_seeds.cpp)
target_include_directories(version_exe_seeds PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
add_custom_command(OUTPUT ${LOOM_EXE_SEEDS}/pe32.dll
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LOOM_EXE_SEEDS}
  COMMAND version_exe_seeds ${LOOM_EXE_SEEDS}
  DEPENDS version_exe_seeds VERBATIM)
add_custom_target(version_exe_seed_files ALL DEPENDS ${LOOM_EXE_SEEDS}/pe32.dll)

loom_fuzz_target(version_exe_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/version_exe_fuzz.cpp ${LOOM_FUZZ_CORE}
  INCLUDES ${CMAKE_SOURCE_DIR}/lib ${CMAKE_SOURCE_DIR}/tests/support
  SEEDS ${LOOM_EXE_SEEDS} ${CMAKE_BINARY_DIR}/exefix
  ARGS -max_len=65536
  SECONDS 10)
