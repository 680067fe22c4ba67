# Real executables for the examination tests, made by the mingw-w64
# compilers of both machines whatever compiler the build itself uses:
#   fxlib32.dll  fxlib64.dll   known exports, imports from four modules and
#                              the C runtime, DLL names in its data (ANSI and
#                              UTF-16)
#   fxprog32.exe fxprog64.exe  a program that imports one function by ordinal
#   fxax11.dll   fxax12.dll    DllCanUnloadNow 11th and 12th of the export names
# loom_exe_fixtures(<dir>) builds them into <dir> with the target exe_fixtures
# and sets LOOM_EXE_FIXTURES to their paths.
function(loom_exe_fixtures dir)
  set(src ${CMAKE_SOURCE_DIR}/tests/fixtures/exe)
  set(outputs)
  file(MAKE_DIRECTORY ${dir})
  foreach(bits 32 64)
    if(bits EQUAL 32)
      set(triple i686-w64-mingw32)
      set(fixup -Wl,--enable-stdcall-fixup)
    else()
      set(triple x86_64-w64-mingw32)
      set(fixup)
    endif()
    find_program(LOOM_FX_CC${bits} ${triple}-gcc REQUIRED)
    find_program(LOOM_FX_RC${bits} ${triple}-windres REQUIRED)
    find_program(LOOM_FX_DLLTOOL${bits} ${triple}-dlltool REQUIRED)
    set(cc ${LOOM_FX_CC${bits}} -O1 -s -static-libgcc ${fixup})

    add_custom_command(OUTPUT ${dir}/fxlib${bits}.dll
      COMMAND ${LOOM_FX_RC${bits}} ${src}/fxlib.rc -O coff -o fxlib${bits}_res.o
      COMMAND ${cc} -shared "-DFX_OWN_NAME=\"fxlib${bits}.dll\"" -o ${dir}/fxlib${bits}.dll
              ${src}/fxlib.c ${src}/fxlib.def fxlib${bits}_res.o -ladvapi32 -luser32
      DEPENDS ${src}/fxlib.c ${src}/fxlib.def ${src}/fxlib.rc
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} VERBATIM)
    add_custom_command(OUTPUT ${dir}/fxprog${bits}.exe
      COMMAND ${LOOM_FX_DLLTOOL${bits}} -d ${src}/ordinal${bits}.def -l libfxord${bits}.a
      COMMAND ${cc} -o ${dir}/fxprog${bits}.exe ${src}/fxprog.c libfxord${bits}.a
              -lshell32 -luser32
      DEPENDS ${src}/fxprog.c ${src}/ordinal${bits}.def
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} VERBATIM)
    list(APPEND outputs ${dir}/fxlib${bits}.dll ${dir}/fxprog${bits}.exe)
  endforeach()
  foreach(place 11 12)
    add_custom_command(OUTPUT ${dir}/fxax${place}.dll
      COMMAND ${LOOM_FX_CC32} -O1 -s -shared -o ${dir}/fxax${place}.dll
              ${src}/fxax.c ${src}/fxax${place}.def
      DEPENDS ${src}/fxax.c ${src}/fxax${place}.def VERBATIM)
    list(APPEND outputs ${dir}/fxax${place}.dll)
  endforeach()
  add_custom_target(exe_fixtures ALL DEPENDS ${outputs})
  set(LOOM_EXE_FIXTURES ${outputs} PARENT_SCOPE)
endfunction()
