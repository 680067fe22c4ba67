# Settings record: the portable integer parser.
list(APPEND LEX_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings.cpp)
list(APPEND LEX_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/optform.cpp)
list(APPEND LEX_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/settings_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/numberbox_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OptForm_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/uifont_win.cpp)
list(APPEND LEX_WIN_RC ${CMAKE_CURRENT_LIST_DIR}/OptForm.rc)
