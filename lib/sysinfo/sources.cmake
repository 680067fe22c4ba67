list(APPEND LOOM_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cpu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report.cpp)
list(APPEND LOOM_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/cpu_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/platform_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dircount_win.cpp)
