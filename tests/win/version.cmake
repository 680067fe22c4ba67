# The version resource reader against real version resources: small
# resource-only DLLs built here from the scripts in version/, the two
# deliverables of this tree, and files that are no executables at all.
set(LOOM_VERFIX basic enja notrans shorttrans none)
foreach(fixture ${LOOM_VERFIX})
  add_library(verfix_${fixture} SHARED ${CMAKE_CURRENT_LIST_DIR}/version/${fixture}.rc)
  # Resources only: no code, no runtime, no entry point.
  set_target_properties(verfix_${fixture} PROPERTIES LINKER_LANGUAGE C PREFIX "")
  target_link_options(verfix_${fixture} PRIVATE -nostdlib -Wl,-e,0)
endforeach()

# Runs GetFileVerInfo in a process of its own, so that the test can make
# Wine report a Windows 95 family platform to just that program.
add_executable(version_probe ${CMAKE_CURRENT_LIST_DIR}/version_probe.cpp)
target_link_libraries(version_probe PRIVATE loomlib)

add_executable(version_test ${CMAKE_CURRENT_LIST_DIR}/version_test.cpp)
target_link_libraries(version_test PRIVATE loomlib gtest_main)
foreach(fixture ${LOOM_VERFIX})
  add_dependencies(version_test verfix_${fixture})
endforeach()
add_dependencies(version_test Lexprobe version_probe)
loom_wine_test(version version_test)

# The executable examination on real executables built here by the mingw-w64
# compilers of both machines (beside the test program), on the library
# itself and on files that are no executables.
include(${CMAKE_SOURCE_DIR}/tests/exe_fixtures.cmake)
loom_exe_fixtures(${CMAKE_BINARY_DIR}/bin)
add_executable(version_exe_test ${CMAKE_CURRENT_LIST_DIR}/version_exe_test.cpp)
target_link_libraries(version_exe_test PRIVATE loomlib gtest_main)
target_compile_definitions(version_exe_test PRIVATE LOOM_SOURCE_DIR="Z:${CMAKE_SOURCE_DIR}")
add_dependencies(version_exe_test exe_fixtures)
loom_wine_test(version.exe version_exe_test)

# The version dialog, driven from a second thread; its mail goes to a
# stand-in mail program.
add_executable(mail_catcher ${CMAKE_CURRENT_LIST_DIR}/mail_catcher.cpp)
add_executable(version_verdlg_test ${CMAKE_CURRENT_LIST_DIR}/version_verdlg_test.cpp)
target_link_libraries(version_verdlg_test PRIVATE loomlib gtest_main)
add_dependencies(version_verdlg_test mail_catcher)
loom_wine_test(version.verdlg version_verdlg_test)
