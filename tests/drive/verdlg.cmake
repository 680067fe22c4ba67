# verdlg_show opens the library's version dialog for scripts/screenshot.sh;
# it lands in bin/ beside the library and is no part of the installation.
add_executable(verdlg_show ${CMAKE_CURRENT_LIST_DIR}/verdlg_show_win.cpp)
target_link_libraries(verdlg_show PRIVATE loomlib)
