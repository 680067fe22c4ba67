list(APPEND LOOM_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/mbcs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strlist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/path.cpp)
list(APPEND LOOM_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/mbcs_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strlist_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/reg_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/files_win.cpp)
list(APPEND LOOM_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/shell_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/property_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_win.cpp)
