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
