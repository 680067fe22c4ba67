# The twelve archive exports under Wine, called through the import library
# and, for enumeration, through the ArchiveCallback type.  Archives made by
# real tools at test time (archive.fixtures) are compared with what the
# peers unpacked; the cabinet that CabCompressFiles makes goes back to
# cabextract (archive.cabextract).
include(${CMAKE_SOURCE_DIR}/tests/support/archive_fixtures.cmake)

add_executable(archive_test
  ${CMAKE_CURRENT_LIST_DIR}/archive_lha_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/archive_zip_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/archive_cab_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/archive_bad_input_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/archive_faults_test.cpp)
target_include_directories(archive_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support
                                                ${CMAKE_CURRENT_LIST_DIR})
# loomcore only for the hand-made archives' checksums, zlib for their
# deflated members.
target_link_libraries(archive_test PRIVATE loomlib loomcore ${LOOM_ZLIB} gtest_main)
loom_wine_test(archive archive_test)

# Wine reaches the build tree through its Z: drive.
string(REPLACE "/" "\\" LOOM_ARCHIVE_FIXTURES_WIN "Z:${LOOM_ARCHIVE_FIXTURES_DIR}")
string(REPLACE "/" "\\" LOOM_ARCHIVE_MADE_WIN "Z:${CMAKE_BINARY_DIR}/archive-made")
set_tests_properties(archive PROPERTIES
  FIXTURES_REQUIRED "wine;archive_files"
  FIXTURES_SETUP archive_made
  ENVIRONMENT "LOOM_ARCHIVE_FIXTURES=${LOOM_ARCHIVE_FIXTURES_WIN};LOOM_ARCHIVE_OUTPUT=${LOOM_ARCHIVE_MADE_WIN};TZ=${LOOM_ARCHIVE_TZ}")

add_test(NAME archive.cabextract
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/archive_check_cab.sh ${CMAKE_BINARY_DIR}/archive-made)
set_tests_properties(archive.cabextract PROPERTIES FIXTURES_REQUIRED archive_made LABELS wine)

# A volume that fills: the same program with the size of every file it
# writes limited to 64 KiB, running the cases that need it.
loom_wine_test(archive.full-volume sh ${CMAKE_CURRENT_LIST_DIR}/with-file-limit.sh 64
               ${CMAKE_BINARY_DIR}/wine-run $<TARGET_FILE:archive_test>
               --gtest_filter=*FullVolume*)
set_tests_properties(archive.full-volume PROPERTIES
  FIXTURES_REQUIRED "wine;archive_files"
  ENVIRONMENT "LOOM_ARCHIVE_FIXTURES=${LOOM_ARCHIVE_FIXTURES_WIN};TZ=${LOOM_ARCHIVE_TZ}")
