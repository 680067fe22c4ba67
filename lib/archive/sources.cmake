list(APPEND LOOM_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/byte_stream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/member_name.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lha_header.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lha_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lha_archive.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_archive.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_directory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cab_search.cpp)
list(APPEND LOOM_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/archive_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lha_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cab_extract_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cab_compress_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cab_cut_win.cpp)
# ZIP members are inflated by zlib.  The DLL links the static mingw libz.a
# itself (lib/CMakeLists.txt); the native build takes the system's zlib.
if(NOT WIN32)
  find_package(ZLIB REQUIRED GLOBAL)
  list(APPEND LOOM_CORE_LIBS ZLIB::ZLIB)
endif()
