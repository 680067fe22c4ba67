list(APPEND LOOM_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/http_core.cpp)
list(APPEND LOOM_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/http_client_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lookup_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_win.cpp)
