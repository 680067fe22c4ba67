# String scanner, word dictionary and English-word marker, and the settings
# record that steers them.  Reading the file and the dictionary's collation
# have one implementation per platform.
list(APPEND LEX_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/scanner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dictionary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/inputfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultrow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings.cpp)
if(WIN32)
  list(APPEND LEX_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/inputfile_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/collate_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exepath_win.cpp)
else()
  list(APPEND LEX_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/inputfile_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/collate_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exepath_posix.cpp)
endif()
