# The GUI tests link the program's resource scripts beside lexwin.
set_property(GLOBAL PROPERTY LEX_WIN_RC_FILES ${LEX_WIN_RC})

# lexdrive acts on a running Lexprobe.exe for the screenshot script and the
# benchmark; it is no part of the installation.
if(WIN32)
  add_executable(lexdrive ${CMAKE_CURRENT_LIST_DIR}/lexdrive.cpp)
  target_link_libraries(lexdrive PRIVATE lexcore psapi)
endif()

# The program's files beside Lexprobe.exe: the word list and the library.
if(WIN32)
  foreach(part english_dic loomlib)
    if(TARGET ${part})
      add_dependencies(Lexprobe ${part})
    endif()
  endforeach()
endif()
