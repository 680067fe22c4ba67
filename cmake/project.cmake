# Compiler settings shared by every target, and the Wine test runner for the
# Windows builds.

add_compile_options(-Wall -Wextra)

configure_file(${CMAKE_SOURCE_DIR}/cmake/loom_version.h.in
               ${CMAKE_BINARY_DIR}/generated/loom_version.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)

if(WIN32)
  enable_language(RC)
  # Source is UTF-8; string literals become Shift-JIS, the ANSI code page of
  # the systems the programs are made for.
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-finput-charset=UTF-8>
                      $<$<COMPILE_LANGUAGE:C,CXX>:-fexec-charset=CP932>)
  add_compile_definitions(WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600)
  # The installation is the executables and the DLL alone: no mingw runtime
  # DLLs beside them.
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -I${CMAKE_BINARY_DIR}/generated -I${CMAKE_SOURCE_DIR}/lib/res")

  # Wine runs the Windows test programs.  A 32-bit build runs under the
  # 32-bit loader, a 64-bit build under wine64; each build tree has its own
  # prefix so that tests never depend on a user's Wine set-up.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(LOOM_WINE /usr/lib/wine/wine)
    set(LOOM_WINEARCH win32)
  else()
    set(LOOM_WINE /usr/lib/wine/wine64)
    set(LOOM_WINEARCH win64)
  endif()
  set(LOOM_WINE_STATE ${CMAKE_BINARY_DIR}/wine)
  set(LOOM_WINEPREFIX ${CMAKE_BINARY_DIR}/wine/prefix)
  foreach(script wine-run wine-start wine-stop)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/${script}.sh.in
                   ${CMAKE_BINARY_DIR}/${script} @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                                    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endforeach()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

  # Every test that runs under Wine needs the prefix, the X server and a warm
  # wineserver; a fixture sets them up once per ctest run and fails loudly
  # when Wine cannot start.
  add_test(NAME wine.start COMMAND ${CMAKE_BINARY_DIR}/wine-start)
  add_test(NAME wine.stop  COMMAND ${CMAKE_BINARY_DIR}/wine-stop)
  set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine LABELS wine TIMEOUT 180)
  set_tests_properties(wine.stop  PROPERTIES FIXTURES_CLEANUP wine LABELS wine)
else()
  option(LOOM_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
  if(LOOM_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# Registers a Windows test program that runs under Wine.
function(loom_wine_test name target)
  add_test(NAME ${name} COMMAND ${target} ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine LABELS wine TIMEOUT 600)
endfunction()

# A source file the build generates with a script of scripts/ (a table from
# one of Python's codecs, the Japanese-text judge's model), written into the
# build tree's generated folder; `out` names its path.  The caller finds
# Python3 first.
function(loom_generated_source out script file comment)
  set(path ${CMAKE_BINARY_DIR}/generated/${file})
  add_custom_command(OUTPUT ${path}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/${script} ${path}
    DEPENDS ${CMAKE_SOURCE_DIR}/scripts/${script}
    COMMENT ${comment}
    VERBATIM)
  set(${out} ${path} PARENT_SCOPE)
endfunction()
