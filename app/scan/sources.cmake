# The string scanner: the byte walk, the row filters, the processor check
# that picks the walk's build, the code page 932 table of Japanese UTF-16
# code units and the texts of a result row.  The walk (walk/) is built
# three times, walk/walker_plain.cpp, walk/walker_sse2.cpp and
# walk/walker_avx2.cpp, each from walk/body.h with its own vector types
# (walk/vector_*.h), and the scan picks one at run time; its step machine
# (body.h) calls into one header per kind of text (single_byte.h, utf16.h,
# utf16_japanese.h, utf8_text.h), each with its rule, its sieve and its
# tables.
set(LEX_WALK_DIR ${CMAKE_CURRENT_LIST_DIR}/walk)
list(APPEND LEX_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/scanner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/processor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rowfilter.cpp
  ${LEX_WALK_DIR}/walker.cpp
  ${LEX_WALK_DIR}/walker_plain.cpp
  ${LEX_WALK_DIR}/walker_sse2.cpp
  ${LEX_WALK_DIR}/walker_avx2.cpp
  ${CMAKE_CURRENT_LIST_DIR}/japanesefilter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/encodedrows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultrow.cpp)
# 32-bit Windows keeps its stack aligned to 4 bytes only; the SSE2 walk's
# functions realign it, so that vectors kept on the stack are aligned.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set_source_files_properties(${LEX_WALK_DIR}/walker_sse2.cpp
    PROPERTIES COMPILE_OPTIONS -mstackrealign)
endif()
# GCC cannot align the stack to 32 bytes on Windows (32 or 64 bits): a
# 256-bit vector it keeps on the stack may lie at an address that is not a
# multiple of 32, where the aligned moves it writes for it would fault.
# The assembler writes every aligned vector move as an unaligned one, which
# is just as fast on aligned data.
if(WIN32)
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_FLAGS -Wa,-muse-unaligned-vector-move)
  check_cxx_source_compiles("int main() { return 0; }" LEX_AS_UNALIGNED_VECTOR_MOVE)
  unset(CMAKE_REQUIRED_FLAGS)
  if(NOT LEX_AS_UNALIGNED_VECTOR_MOVE)
    message(FATAL_ERROR "the assembler lacks -muse-unaligned-vector-move (binutils 2.38 or "
                        "later), which the AVX2 walk needs on Windows")
  endif()
  set_source_files_properties(${LEX_WALK_DIR}/walker_avx2.cpp
    PROPERTIES COMPILE_OPTIONS -Wa,-muse-unaligned-vector-move)
endif()

# The code page 932 table of Japanese UTF-16 code units, generated into the
# build tree from Python's cp932 codec (cp932.h tells what it holds).  The
# target cp932_table lets targets of other folders that compile the core's
# sources (the fuzz targets) wait for it.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
loom_generated_source(LEX_CP932_TABLE make-cp932-table.py cp932_table.cpp
  "Generating the code page 932 table")
# The JIS X 0212 table of EUC-JP and ISO-2022-JP text, from Python's
# EUC-JP codec, the same way.
loom_generated_source(LEX_JISX0212_TABLE make-jisx0212-table.py jisx0212_table.cpp
  "Generating the JIS X 0212 table")
add_custom_target(cp932_table DEPENDS ${LEX_CP932_TABLE} ${LEX_JISX0212_TABLE})
list(APPEND LEX_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/cp932.cpp
  ${LEX_CP932_TABLE}
  ${LEX_JISX0212_TABLE})

# The resource texts of PE images: the directory walk, the layouts of the
# five kinds of resource whose texts are read, and their rows' texts.
list(APPEND LEX_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/resources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resource_formats.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resource_row.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resource_rows.cpp)
