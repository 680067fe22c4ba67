# Start-up: WinMain and the rule that finds the file on the command line.
list(APPEND LEX_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/cmdline.cpp)
list(APPEND LEX_WIN_MAIN ${CMAKE_CURRENT_LIST_DIR}/lexprobe_win.cpp)
list(APPEND LEX_WIN_RC ${CMAKE_CURRENT_LIST_DIR}/lexprobe.rc)
