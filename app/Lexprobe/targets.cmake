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

# A 32-bit Lexprobe.exe may use addresses above 2 GiB: on 64-bit Windows it
# then has 4 GiB for the rows of a big file.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_link_options(Lexprobe PRIVATE -Wl,--large-address-aware)
endif()
