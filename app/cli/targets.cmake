# lexprobe, the command-line front end.  In Windows builds it is a console
# program in bin/cli: Windows file names ignore case, and bin/ already holds
# Lexprobe.exe.
if(WIN32)
  set(LEX_CLI_SYSTEM ${CMAKE_CURRENT_LIST_DIR}/console_win.cpp)
else()
  set(LEX_CLI_SYSTEM ${CMAKE_CURRENT_LIST_DIR}/console_posix.cpp)
endif()
add_executable(lexprobe ${CMAKE_CURRENT_LIST_DIR}/lexprobe.cpp ${CMAKE_CURRENT_LIST_DIR}/lines.cpp
               ${LEX_CLI_SYSTEM})
target_link_libraries(lexprobe PRIVATE lexcore)
if(WIN32)
  set_target_properties(lexprobe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/cli)
endif()

# The manual page lexprobe.1, made from the help (and so from the option
# table) by help2man, which runs the program built here.  The help's line
# on the encoding in force tells of the build's locale, not the reader's.
if(NOT WIN32)
  find_program(LEX_HELP2MAN help2man)
  if(LEX_HELP2MAN)
    set(LEX_MAN_PAGE ${CMAKE_BINARY_DIR}/share/man/man1/lexprobe.1)
    add_custom_command(OUTPUT ${LEX_MAN_PAGE}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/share/man/man1
      COMMAND ${LEX_HELP2MAN} --no-info --name "list the readable strings of files"
              --output ${LEX_MAN_PAGE}.tmp $<TARGET_FILE:lexprobe>
      COMMAND sed -i "/^In force now:/d" ${LEX_MAN_PAGE}.tmp
      COMMAND ${CMAKE_COMMAND} -E rename ${LEX_MAN_PAGE}.tmp ${LEX_MAN_PAGE}
      DEPENDS lexprobe
      COMMENT "Writing the manual page lexprobe.1"
      VERBATIM)
    add_custom_target(lexprobe_man ALL DEPENDS ${LEX_MAN_PAGE})
    set_property(GLOBAL PROPERTY LEX_MAN_PAGE ${LEX_MAN_PAGE})
  else()
    message(WARNING "help2man is missing (scripts/deps.sh installs it): no manual page lexprobe.1")
  endif()
endif()

# cmake --install: the front end and its word list in lib/lexprobe (the
# dictionary is looked for beside the program, which finds itself through
# the link), a link to it in bin, and the manual page.
if(NOT WIN32)
  install(TARGETS lexprobe DESTINATION lib/lexprobe)
  install(FILES ${CMAKE_BINARY_DIR}/bin/English.dic DESTINATION lib/lexprobe)
  install(CODE [[
    file(MAKE_DIRECTORY "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
    file(CREATE_LINK ../lib/lexprobe/lexprobe "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/lexprobe"
         SYMBOLIC)
  ]])
  if(LEX_HELP2MAN)
    install(FILES ${LEX_MAN_PAGE} DESTINATION share/man/man1)
  endif()
endif()
