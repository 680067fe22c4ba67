# Native tests of the string scanner: case tables and random comparisons
# against the reference walk, the scan of data in pieces, the walk's sieves
# against their rules, the generated code page 932 table.
add_executable(scan_test
  ${CMAKE_CURRENT_LIST_DIR}/scan_scanner_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scan_stream_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scan_cp932_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scan_sieve_test.cpp)
target_include_directories(scan_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(scan_test PRIVATE lexcore gtest_main)
add_test(NAME scan.unit COMMAND scan_test)

# Japanese text in the resources of real programs: tests/fixtures/japanese
# built by the mingw-w64 toolchains of both machines, scanned with and
# without Japanese UTF-16 text.
set(LEX_JPRES_SRC ${CMAKE_SOURCE_DIR}/tests/fixtures/japanese)
set(LEX_JPRES_DIR ${CMAKE_BINARY_DIR}/jpres)
file(MAKE_DIRECTORY ${LEX_JPRES_DIR})
set(LEX_JPRES_FILES)
foreach(bits 32 64)
  if(bits EQUAL 32)
    set(triple i686-w64-mingw32)
  else()
    set(triple x86_64-w64-mingw32)
  endif()
  find_program(LEX_JPRES_CC${bits} ${triple}-gcc REQUIRED)
  find_program(LEX_JPRES_RC${bits} ${triple}-windres REQUIRED)
  add_custom_command(OUTPUT ${LEX_JPRES_DIR}/jpres${bits}.exe
    COMMAND ${LEX_JPRES_RC${bits}} ${LEX_JPRES_SRC}/jpres.rc -O coff -o jpres${bits}_res.o
    COMMAND ${LEX_JPRES_CC${bits}} -O1 -s -mwindows -o jpres${bits}.exe
            ${LEX_JPRES_SRC}/jpres.c jpres${bits}_res.o
    DEPENDS ${LEX_JPRES_SRC}/jpres.rc ${LEX_JPRES_SRC}/jpres.c
    WORKING_DIRECTORY ${LEX_JPRES_DIR} VERBATIM)
  list(APPEND LEX_JPRES_FILES ${LEX_JPRES_DIR}/jpres${bits}.exe)
endforeach()
add_custom_target(jpres_fixtures DEPENDS ${LEX_JPRES_FILES})
add_executable(scan_jpres_test ${CMAKE_CURRENT_LIST_DIR}/scan_japanese_res_test.cpp)
target_include_directories(scan_jpres_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_compile_definitions(scan_jpres_test PRIVATE LEX_JPRES_DIR="${LEX_JPRES_DIR}")
target_link_libraries(scan_jpres_test PRIVATE lexcore gtest_main)
add_dependencies(scan_jpres_test jpres_fixtures)
add_test(NAME scan.japanese_resources COMMAND scan_jpres_test)
