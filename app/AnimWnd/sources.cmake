# The window animation component of the main window.
list(APPEND LEX_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/animwnd_win.cpp)
