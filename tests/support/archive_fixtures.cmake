# The archives of the archive tests, made with the real tools when the tests
# run (tests/support/make-archives.sh) into LOOM_ARCHIVE_FIXTURES_DIR; tests
# that read them require the fixture archive_files.  Tools, peers and tests
# share the time zone LOOM_ARCHIVE_TZ, so that DOS times (local time)
# compare.
set(LOOM_ARCHIVE_FIXTURES_DIR ${CMAKE_BINARY_DIR}/archive-fixtures)
set(LOOM_ARCHIVE_TZ Asia/Tokyo)
add_test(NAME archive.fixtures
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/support/make-archives.sh ${LOOM_ARCHIVE_FIXTURES_DIR})
set_tests_properties(archive.fixtures PROPERTIES
  FIXTURES_SETUP archive_files TIMEOUT 300 ENVIRONMENT TZ=${LOOM_ARCHIVE_TZ})
