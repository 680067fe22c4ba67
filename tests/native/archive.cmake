# The archive readers' portable core: names, LHA headers and decoder, the
# ZIP walk and the cabinet search on hand-made bytes (archive.native), and
# on archives that real tools make at test time, against what the peers
# unpack from them (archive.peers).
include(${CMAKE_SOURCE_DIR}/tests/support/archive_fixtures.cmake)

add_executable(archive_native_test
  ${CMAKE_CURRENT_LIST_DIR}/archive_name_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/archive_lha_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/archive_zip_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/archive_peer_test.cpp)
target_include_directories(archive_native_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(archive_native_test PRIVATE loomcore gtest_main)
add_test(NAME archive.native COMMAND archive_native_test --gtest_filter=-PeerArchives.*)
add_test(NAME archive.peers COMMAND archive_native_test --gtest_filter=PeerArchives.*)
set_tests_properties(archive.peers PROPERTIES
  FIXTURES_REQUIRED archive_files
  ENVIRONMENT "LOOM_ARCHIVE_FIXTURES=${LOOM_ARCHIVE_FIXTURES_DIR};TZ=${LOOM_ARCHIVE_TZ}")
