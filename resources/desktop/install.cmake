# Runs at install time, when CMAKE_INSTALL_PREFIX is the prefix actually installed
# to. Makes bin/pipiron a relative link to the program and writes the desktop
# entry with the program's absolute path, since ~/.local/bin is not in PATH
# until the next login on a fresh account. DESTDIR is only where files land.
foreach(dir PIPIRON_BINDIR PIPIRON_PROGRAM PIPIRON_ENTRY_DIR)
  if(NOT IS_ABSOLUTE "${${dir}}")
    set(${dir} "${CMAKE_INSTALL_PREFIX}/${${dir}}")
  endif()
endforeach()

file(RELATIVE_PATH target "${PIPIRON_BINDIR}" "${PIPIRON_PROGRAM}")
set(link "$ENV{DESTDIR}${PIPIRON_BINDIR}/pipiron")
message(STATUS "Installing: ${link} -> ${target}")
file(MAKE_DIRECTORY "$ENV{DESTDIR}${PIPIRON_BINDIR}")
file(REMOVE "${link}")
file(CREATE_LINK "${target}" "${link}" SYMBOLIC)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${link}")

# The Exec key's own quoting for a path with reserved characters, then the
# escapes of every string value; "%" would start a field code.
set(PIPIRON_EXEC "${PIPIRON_PROGRAM}")
if(PIPIRON_EXEC MATCHES "[ \t\n\"'<>~|&;$*?#()`]" OR PIPIRON_EXEC MATCHES "\\\\")
  foreach(special "\\" "\"" "`" "$")
    string(REPLACE "${special}" "\\${special}" PIPIRON_EXEC "${PIPIRON_EXEC}")
  endforeach()
  set(PIPIRON_EXEC "\"${PIPIRON_EXEC}\"")
endif()
string(REPLACE "\\" "\\\\" PIPIRON_EXEC "${PIPIRON_EXEC}")
string(REPLACE "%" "%%" PIPIRON_EXEC "${PIPIRON_EXEC}")
get_filename_component(name "${PIPIRON_ENTRY_TEMPLATE}" NAME_WLE)
set(entry "$ENV{DESTDIR}${PIPIRON_ENTRY_DIR}/${name}")
message(STATUS "Installing: ${entry}")
configure_file("${PIPIRON_ENTRY_TEMPLATE}" "${entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")
