# The Japanese-text judge and its tables, generated into the build tree by
# scripts/make-japanese-model.py from the machine's Japanese message
# catalogues and its own binaries (the script tells which).  The target
# japanese_model lets targets of other folders that compile the core's
# sources (the fuzz targets) wait for it.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
loom_generated_source(LEX_JAPANESE_MODEL make-japanese-model.py japanese_model.cpp
  "Counting the Japanese-text judge's tables")
add_custom_target(japanese_model DEPENDS ${LEX_JAPANESE_MODEL})
list(APPEND LEX_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/judge.cpp
  ${LEX_JAPANESE_MODEL})
