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

# The resource reader on resource-only DLLs that the mingw-w64 tools of
# both machines build from tests/fixtures/resources (windmc makes the
# message tables, one UTF-16 and one code page 932); the DLLs also seed the
# reader's fuzz target.
set(LEX_RESTEXTS_SRC ${CMAKE_SOURCE_DIR}/tests/fixtures/resources)
set(LEX_RESTEXTS_DIR ${CMAKE_BINARY_DIR}/restexts)
set(LEX_RESTEXTS_FILES)
foreach(bits 32 64)
  if(bits EQUAL 32)
    set(triple i686-w64-mingw32)
  else()
    set(triple x86_64-w64-mingw32)
  endif()
  find_program(LEX_RESTEXTS_CC${bits} ${triple}-gcc REQUIRED)
  find_program(LEX_RESTEXTS_RC${bits} ${triple}-windres REQUIRED)
  find_program(LEX_RESTEXTS_MC${bits} ${triple}-windmc REQUIRED)
  set(work ${LEX_RESTEXTS_DIR}/work${bits})
  set(dll ${LEX_RESTEXTS_DIR}/dll/restexts${bits}.dll)
  file(MAKE_DIRECTORY ${work}/ansi ${work}/wide ${LEX_RESTEXTS_DIR}/dll)
  add_custom_command(OUTPUT ${dll}
    COMMAND ${LEX_RESTEXTS_MC${bits}} -C 65001 -A -r ansi -h ansi ${LEX_RESTEXTS_SRC}/restexts.mc
    COMMAND ${LEX_RESTEXTS_MC${bits}} -C 65001 -U -r wide -h wide ${LEX_RESTEXTS_SRC}/restexts.mc
    COMMAND ${LEX_RESTEXTS_RC${bits}} -c 65001 ${LEX_RESTEXTS_SRC}/restexts.rc -O coff -o res.o
    COMMAND ${LEX_RESTEXTS_CC${bits}} -shared -nostdlib -Wl,-e,0 -o ${dll} res.o
    DEPENDS ${LEX_RESTEXTS_SRC}/restexts.rc ${LEX_RESTEXTS_SRC}/restexts.mc
    WORKING_DIRECTORY ${work} VERBATIM)
  list(APPEND LEX_RESTEXTS_FILES ${dll})
endforeach()
add_custom_target(restexts_fixtures DEPENDS ${LEX_RESTEXTS_FILES})
add_executable(scan_resources_test ${CMAKE_CURRENT_LIST_DIR}/scan_resources_test.cpp)
target_compile_definitions(scan_resources_test PRIVATE
  LEX_RESTEXTS_DIR="${LEX_RESTEXTS_DIR}/dll")
target_link_libraries(scan_resources_test PRIVATE lexcore gtest_main)
add_dependencies(scan_resources_test restexts_fixtures)
add_test(NAME scan.resources COMMAND scan_resources_test)
