# Installs the build into a fresh prefix and checks the tree a desktop needs:
# the program with its files in one folder, a working relative link in bin, and
# a desktop entry and AppStream file that the freedesktop validators accept.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed: ${rc}")
endif()

foreach(file lib/pipiron/pipiron lib/pipiron/pipiron.html share/applications/pipiron.desktop
             share/metainfo/io.github.pipiron.Pipiron.metainfo.xml)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "missing ${file}")
  endif()
endforeach()

set(link "${PREFIX}/bin/pipiron")
if(NOT IS_SYMLINK "${link}")
  message(FATAL_ERROR "bin/pipiron is not a link")
endif()
file(READ_SYMLINK "${link}" target)
if(IS_ABSOLUTE "${target}")
  message(FATAL_ERROR "bin/pipiron points to an absolute path: ${target}")
endif()
file(REAL_PATH "${link}" resolved)
file(REAL_PATH "${PREFIX}/lib/pipiron/pipiron" program)
if(NOT resolved STREQUAL program)
  message(FATAL_ERROR "bin/pipiron leads to ${resolved}, not ${program}")
endif()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${PREFIX}/share/applications/pipiron.desktop"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate: ${out}")
  endif()
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  execute_process(COMMAND "${APPSTREAMCLI}" validate --no-net
                          "${PREFIX}/share/metainfo/io.github.pipiron.Pipiron.metainfo.xml"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "appstreamcli: ${out}")
  endif()
endif()
