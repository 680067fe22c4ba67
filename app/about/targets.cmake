# readme.htm goes beside Lexprobe.exe, where "ReadMe 表示(&R)" opens it.
if(WIN32)
  set(readme_out ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/readme.htm)
  add_custom_command(OUTPUT ${readme_out}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/readme.htm ${readme_out}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/readme.htm
    COMMENT "readme.htm beside the program")
  add_custom_target(readme_htm ALL DEPENDS ${readme_out})
  add_dependencies(Lexprobe readme_htm)
endif()
