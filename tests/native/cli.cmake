# The front end as a user runs it: exit codes, messages, output bytes.
add_test(NAME cli COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/cli_test.sh $<TARGET_FILE:lexprobe>)
# A program with resources (scan.cmake builds it), for --search-resources.
set_tests_properties(cli PROPERTIES
  ENVIRONMENT_MODIFICATION "LEX_PE_FILE=set:${LEX_JPRES_DIR}/jpres32.exe")
get_property(lex_man_page GLOBAL PROPERTY LEX_MAN_PAGE)
if(lex_man_page)
  add_test(NAME cli.man COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/cli_man_test.sh
           $<TARGET_FILE:lexprobe> ${lex_man_page} ${PROJECT_VERSION})
endif()
