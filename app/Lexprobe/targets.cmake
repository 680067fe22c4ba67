# The GUI tests link the program's resource scripts beside lexwin.
set_property(GLOBAL PROPERTY LEX_WIN_RC_FILES ${LEX_WIN_RC})

# The program's files beside Lexprobe.exe: the word list and the library.
if(WIN32)
  foreach(part english_dic loomlib)
    if(TARGET ${part})
      add_dependencies(Lexprobe ${part})
    endif()
  endforeach()
endif()
