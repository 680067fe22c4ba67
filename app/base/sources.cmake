# What every part of the program shares, below all of them: where the
# running program's own files are (its executable's folder), reading an
# input file (the scanned file, the dictionary) and the path a user gives
# for it, an integer's range with the one integer parser, and the system's
# text for an error.  Finding the executable and reading a file have one
# implementation per platform.
list(APPEND LEX_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/intrange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/inputfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/userpath.cpp)
if(WIN32)
  list(APPEND LEX_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/exepath_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/inputfile_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/systemerror_win.cpp)
else()
  list(APPEND LEX_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/exepath_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/inputfile_posix.cpp)
endif()
