# The extraction settings: the record with its integer parser, its registry
# form, and the settings dialog (its rules portable, its window Windows-only).
list(APPEND LEX_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/optform.cpp)
list(APPEND LEX_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/settings_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/optform_win.cpp)
list(APPEND LEX_WIN_RC ${CMAKE_CURRENT_LIST_DIR}/optform.rc)
