# The built binaries are what they claim to be; no Wine needed.
add_test(NAME pe.Lexprobe COMMAND ${CMAKE_SOURCE_DIR}/tests/check-pe.sh ${CMAKE_OBJDUMP}
         $<TARGET_FILE:Lexprobe> gui)
add_test(NAME pe.loomlib COMMAND ${CMAKE_SOURCE_DIR}/tests/check-pe.sh ${CMAKE_OBJDUMP}
         $<TARGET_FILE:loomlib> dll ${CMAKE_SOURCE_DIR}/lib/loomlib.def)
set_tests_properties(pe.Lexprobe pe.loomlib PROPERTIES LABELS static)
