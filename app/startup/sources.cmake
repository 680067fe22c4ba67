# Start-up: WinMain, the rule that finds the file on the command line, and
# where the running program's own files are (its executable's folder).
list(APPEND LEX_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/cmdline.cpp)
if(WIN32)
  list(APPEND LEX_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/exepath_win.cpp)
else()
  list(APPEND LEX_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/exepath_posix.cpp)
endif()
list(APPEND LEX_WIN_MAIN ${CMAKE_CURRENT_LIST_DIR}/lexprobe_win.cpp)
list(APPEND LEX_WIN_RC ${CMAKE_CURRENT_LIST_DIR}/lexprobe.rc)
