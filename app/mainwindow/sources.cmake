# The main window: its controls and their layout, menus and commands, its
# keyboard, its title and status line, and the scan run it starts (the
# scanner's host, with the message pump between checkpoints).
list(APPEND LEX_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/mainform_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mainform_keys_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mainform_layout_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mainform_status_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mainform_filter_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scansession_win.cpp)
list(APPEND LEX_WIN_RC ${CMAKE_CURRENT_LIST_DIR}/mainform.rc)
