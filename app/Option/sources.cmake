# Settings record: the portable integer parser.
list(APPEND LEX_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings.cpp)
