# The program's small wrappers over the Windows user interface, shared by
# all its windows: the number box (with its portable value rule), the menu
# bar whose entries can be hidden, the message boxes, the UI font, the
# shell requests, what the windows share (the window base and its
# subclassing variant, the dialog base with its modal loop, client sizing,
# control colours), the application window that owns the program's
# top-level windows, and the minimise and restore animation between the
# main window and the taskbar button; the rule of where a window may be put
# back on the monitors.
list(APPEND LEX_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/numberbox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screenplace.cpp)
list(APPEND LEX_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/numberbox_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menubar_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/msgbox_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/uifont_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialog_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/application_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/animwnd_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screenplace_win.cpp)
