# The main window, the results list and its commands, the results file.
list(APPEND LEX_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/rowstore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultsfile.cpp)
list(APPEND LEX_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/mainform_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultslist_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultslist_find_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultsfile_win.cpp)
list(APPEND LEX_WIN_RC ${CMAKE_CURRENT_LIST_DIR}/mainform.rc)
