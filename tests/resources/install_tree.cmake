# Installs the build as a user does (a prefix) and as a packager does (DESTDIR) and
# checks the tree a desktop needs, in the folders the build was configured with:
# the program with its files in one folder, a relative link in bin, the icons and
# the desktop entry named after the AppStream id, the entry starting the program by
# its absolute path under the prefix (never under DESTDIR), the licence, the manual
# page, and both desktop files accepted by the validators.
# usage: cmake -DBUILD=<build> -DPREFIX=<work> -DPROGRAM_DIR=<dir> -DBINDIR=<dir> -DDATADIR=<dir>
#              -DDOCDIR=<dir> -DMANDIR=<dir> -P install_tree.cmake
cmake_policy(SET CMP0007 NEW)  # keeps the empty DESTDIR of a table row
set(id io.github.pipiron.Pipiron)
foreach(validator desktop-file-validate appstreamcli)
  find_program(path_of_${validator} ${validator})
  if(NOT path_of_${validator})
    message(FATAL_ERROR "${validator} is missing: install desktop-file-utils and appstream "
                        "(scripts/deps test)")
  endif()
endforeach()

# prefix installed to | DESTDIR
foreach(install "${PREFIX}/ぴぴ ろん/.local|" "/opt/pipiron|${PREFIX}/stage")
  string(REPLACE "|" ";" install "${install}")
  list(GET install 0 prefix)
  list(GET install 1 destdir)
  set(root "${destdir}${prefix}")
  file(REMOVE_RECURSE "${PREFIX}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env --unset=DESTDIR "DESTDIR=${destdir}"
                          "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${prefix}"
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "install to ${prefix} (DESTDIR ${destdir}) failed: ${rc}")
  endif()

  set(files ${PROGRAM_DIR}/pipiron ${PROGRAM_DIR}/pipiron.html ${PROGRAM_DIR}/media/tada.wav
            ${DATADIR}/applications/${id}.desktop ${DATADIR}/metainfo/${id}.metainfo.xml
            ${DOCDIR}/LICENSE ${MANDIR}/man1/pipiron.1)
  foreach(size 32 48 64 128)
    list(APPEND files ${DATADIR}/icons/hicolor/${size}x${size}/apps/${id}.png)
  endforeach()
  foreach(file ${files})
    if(NOT EXISTS "${root}/${file}")
      message(FATAL_ERROR "missing ${root}/${file}")
    endif()
  endforeach()

  set(link "${root}/${BINDIR}/pipiron")
  file(READ_SYMLINK "${link}" target)
  if(NOT IS_SYMLINK "${link}" OR IS_ABSOLUTE "${target}")
    message(FATAL_ERROR "${BINDIR}/pipiron is not a relative link: ${target}")
  endif()
  file(REAL_PATH "${link}" resolved)
  file(REAL_PATH "${root}/${PROGRAM_DIR}/pipiron" program)
  if(NOT resolved STREQUAL program)
    message(FATAL_ERROR "${BINDIR}/pipiron leads to ${resolved}, not ${program}")
  endif()

  set(entry "${root}/${DATADIR}/applications/${id}.desktop")
  file(STRINGS "${entry}" exec REGEX "^Exec=" ENCODING UTF-8)
  set(program "${prefix}/${PROGRAM_DIR}/pipiron")
  if(program MATCHES " ")
    set(program "\"${program}\"")
  endif()
  if(NOT exec STREQUAL "Exec=${program}")
    message(FATAL_ERROR "${entry}: ${exec}")
  endif()
  foreach(check "${path_of_desktop-file-validate};${entry}"
                "${path_of_appstreamcli};validate;--no-net;${root}/${DATADIR}/metainfo/${id}.metainfo.xml")
    execute_process(COMMAND ${check} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0 OR out MATCHES "warning|error")
      message(FATAL_ERROR "${check}: ${out}")
    endif()
  endforeach()
endforeach()
