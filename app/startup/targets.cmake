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

# The installation archive Lexprobe-<version>.zip beside bin/.
if(WIN32)
  set(LEX_ARCHIVE ${CMAKE_BINARY_DIR}/Lexprobe-${PROJECT_VERSION}.zip)
  set(LEX_BIN ${CMAKE_BINARY_DIR}/bin)
  add_custom_command(OUTPUT ${LEX_ARCHIVE}
    COMMAND ${CMAKE_COMMAND} -DBIN=${LEX_BIN} -DSTAGE=${CMAKE_BINARY_DIR}/archive
            -DLICENCE=${CMAKE_SOURCE_DIR}/app/words/English.dic.txt -DOUT=${LEX_ARCHIVE}
            -P ${CMAKE_SOURCE_DIR}/cmake/install-archive.cmake
    DEPENDS Lexprobe lexprobe loomlib ${LEX_BIN}/English.dic ${LEX_BIN}/cli/English.dic ${LEX_BIN}/readme.htm
            ${CMAKE_SOURCE_DIR}/app/words/English.dic.txt ${CMAKE_SOURCE_DIR}/cmake/install-archive.cmake
    COMMENT "Writing the installation archive Lexprobe-${PROJECT_VERSION}.zip"
    VERBATIM)
  add_custom_target(archive ALL DEPENDS ${LEX_ARCHIVE})
  foreach(part english_dic readme_htm)
    if(TARGET ${part})
      add_dependencies(archive ${part})
    endif()
  endforeach()
  set_property(GLOBAL PROPERTY LEX_ARCHIVE ${LEX_ARCHIVE})
endif()
