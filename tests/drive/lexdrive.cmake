# lexdrive acts on a running Lexprobe.exe as a user would, for
# scripts/screenshot.sh and scripts/bench-gui.sh; it lands in bin/ beside
# the program and is no part of the installation.  It reads the settings
# from the registry as the program does, for its scan beside the window's.
add_executable(lexdrive ${CMAKE_CURRENT_LIST_DIR}/lexdrive_win.cpp
               ${CMAKE_SOURCE_DIR}/app/settings/settings_win.cpp)
target_link_libraries(lexdrive PRIVATE lexcore psapi advapi32)
