# The front end as a user runs it: exit codes, messages, output bytes.
add_test(NAME cli COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/cli_test.sh $<TARGET_FILE:lexprobe>)
