# English.dic, generated from the system word lists beside the programs (and,
# in Windows builds, beside the console front end in bin/cli).
set(LEX_DICT_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/make-dictionary.sh)
set(LEX_DICT_SOURCE /usr/share/dict/american-english-small /usr/share/dict/british-english-small)
set(LEX_DICT ${CMAKE_BINARY_DIR}/bin/English.dic)
set(LEX_DICT_COMMANDS COMMAND sh ${LEX_DICT_SCRIPT} ${LEX_DICT} ${LEX_DICT_SOURCE})
set(LEX_DICT_OUTPUTS ${LEX_DICT})
if(WIN32)
  list(APPEND LEX_DICT_COMMANDS
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin/cli
    COMMAND ${CMAKE_COMMAND} -E copy ${LEX_DICT} ${CMAKE_BINARY_DIR}/bin/cli/English.dic)
  list(APPEND LEX_DICT_OUTPUTS ${CMAKE_BINARY_DIR}/bin/cli/English.dic)
endif()
add_custom_command(OUTPUT ${LEX_DICT_OUTPUTS}
  ${LEX_DICT_COMMANDS}
  DEPENDS ${LEX_DICT_SCRIPT} ${LEX_DICT_SOURCE}
  COMMENT "Generating English.dic"
  VERBATIM)
add_custom_target(english_dic ALL DEPENDS ${LEX_DICT_OUTPUTS})
