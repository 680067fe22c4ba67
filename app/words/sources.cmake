# The word dictionary English.dic, its automaton and the English-word
# marker.  The dictionary's collation has one implementation per platform.
list(APPEND LEX_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/dictionary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wordautomaton.cpp)
if(WIN32)
  list(APPEND LEX_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/collate_win.cpp)
else()
  list(APPEND LEX_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/collate_posix.cpp)
endif()
