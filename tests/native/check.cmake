# Native tests of the string scanner, the word dictionary, the settings
# parser and the command-line front end.
add_executable(check_test
  ${CMAKE_CURRENT_LIST_DIR}/check_scanner_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/check_stream_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/check_dictionary_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/check_settings_test.cpp)
target_include_directories(check_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(check_test PRIVATE lexcore gtest_main)
add_test(NAME check.unit COMMAND check_test)

# The front end as a user runs it: exit codes, messages, output bytes.
add_test(NAME check.cli
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/cli_test.sh $<TARGET_FILE:lexprobe>)

# The generated English.dic beside the programs: format and marking.
add_executable(check_dic_test
  ${CMAKE_CURRENT_LIST_DIR}/check_english_dic_test.cpp)
target_link_libraries(check_dic_test PRIVATE lexcore gtest_main)
add_dependencies(check_dic_test english_dic)
add_test(NAME check.english_dic COMMAND check_dic_test)

# The rules of scripts/make-dictionary.sh on word lists made for the test.
add_test(NAME check.make_dictionary
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/make_dictionary_test.sh
          ${CMAKE_SOURCE_DIR}/scripts/make-dictionary.sh)

# The generated code page 932 table of Japanese UTF-16 code units.
target_sources(check_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/check_cp932_test.cpp)

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
add_executable(check_jpres_test ${CMAKE_CURRENT_LIST_DIR}/check_japanese_res_test.cpp)
target_include_directories(check_jpres_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_compile_definitions(check_jpres_test PRIVATE LEX_JPRES_DIR="${LEX_JPRES_DIR}")
target_link_libraries(check_jpres_test PRIVATE lexcore gtest_main)
add_dependencies(check_jpres_test jpres_fixtures)
add_test(NAME check.japanese_resources COMMAND check_jpres_test)
