# Writes the installation archive: cmake -DBIN=... -DLICENCE=... -DSTAGE=...
# -DOUT=... -P install-archive.cmake
#
# The archive holds, at its top level, what a user puts into one folder:
# the program, the library, the word list with its licence text and the
# read-me, taken from the build's bin folder as the build left them; and in
# its folder cli the command-line front end with a word list beside it
# (Windows file names ignore case, so lexprobe.exe cannot stand beside
# Lexprobe.exe).  The licence text comes from bin/ when the word list's
# build writes one there, else from the sources.
set(files Lexprobe.exe loomlib.dll English.dic readme.htm cli/lexprobe.exe cli/English.dic)
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
foreach(name ${files})
  if(NOT EXISTS ${BIN}/${name})
    message(FATAL_ERROR "installation archive: ${BIN}/${name} is missing")
  endif()
  get_filename_component(folder ${STAGE}/${name} DIRECTORY)
  file(COPY ${BIN}/${name} DESTINATION ${folder})
endforeach()
if(EXISTS ${BIN}/English.dic.txt)
  file(COPY ${BIN}/English.dic.txt DESTINATION ${STAGE})
else()
  file(COPY ${LICENCE} DESTINATION ${STAGE})
endif()
list(APPEND files English.dic.txt)
file(REMOVE ${OUT})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUT} --format=zip ${files}
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "installation archive: writing ${OUT} failed")
endif()
