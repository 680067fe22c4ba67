# The results: the row store behind the list and its commands, the results
# list control with its input, its tooltip and its find dialog, the themed
# list-view class it is made of, the results file and the CSV file.
list(APPEND LEX_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/rowstore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rowstore_sort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rowstore_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultsfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/csvfile.cpp)
list(APPEND LEX_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/resultslist_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultslist_input_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultslist_tip_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultslist_find_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultslist_view_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultsfile_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultslist_copy_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/listviewxp_win.cpp)
# The output file that replaces an existing one only once it is whole: a
# portable interface with one implementation per platform.
list(APPEND LEX_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/outputfile.cpp)
if(WIN32)
  list(APPEND LEX_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/outputfile_win.cpp)
else()
  list(APPEND LEX_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/outputfile_posix.cpp)
endif()
