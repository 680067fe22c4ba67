list(APPEND LOOM_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/mbcs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strlist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/path.cpp)
if(WIN32)
  # The lead bytes of the process's code page: in the core of the Windows
  # build, since the program walks its own paths by them too.
  list(APPEND LOOM_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/mbcs_win.cpp)
endif()
list(APPEND LOOM_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/libtext_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strlist_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/reg_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/files_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pending_file_win.cpp)
list(APPEND LOOM_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/shell_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/property_win.cpp)
