# The Japanese-text judge and its tables, generated into the build tree by
# scripts/make-japanese-model.py from the machine's Japanese message
# catalogues and its own binaries (the script tells which).  The target
# japanese_model lets targets of other folders that compile the core's
# sources (the fuzz targets) wait for it.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(LEX_JAPANESE_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/make-japanese-model.py)
set(LEX_JAPANESE_MODEL ${CMAKE_BINARY_DIR}/generated/japanese_model.cpp)
add_custom_command(OUTPUT ${LEX_JAPANESE_MODEL}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND ${Python3_EXECUTABLE} ${LEX_JAPANESE_SCRIPT} ${LEX_JAPANESE_MODEL}
  DEPENDS ${LEX_JAPANESE_SCRIPT}
  COMMENT "Counting the Japanese-text judge's tables"
  VERBATIM)
add_custom_target(japanese_model DEPENDS ${LEX_JAPANESE_MODEL})
list(APPEND LEX_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/judge.cpp
  ${LEX_JAPANESE_MODEL})
