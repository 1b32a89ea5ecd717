# The desktop entry and the AppStream metadata. The program stands in
# ${PIPIRON_INSTALL_DIR} together with everything it looks for beside itself;
# bin only holds a relative link to it, so the installed tree can be moved.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/desktop/pipiron.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/desktop/io.github.pipiron.Pipiron.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Both folders are resolved when installing, so that `cmake --install --prefix`
# and DESTDIR are honoured.
install(CODE "
  set(_pipiron_bindir \"${CMAKE_INSTALL_BINDIR}\")
  set(_pipiron_program \"${PIPIRON_INSTALL_DIR}/pipiron\")
  if(NOT IS_ABSOLUTE \"\${_pipiron_bindir}\")
    set(_pipiron_bindir \"\${CMAKE_INSTALL_PREFIX}/\${_pipiron_bindir}\")
  endif()
  if(NOT IS_ABSOLUTE \"\${_pipiron_program}\")
    set(_pipiron_program \"\${CMAKE_INSTALL_PREFIX}/\${_pipiron_program}\")
  endif()
  file(RELATIVE_PATH _pipiron_target \"\${_pipiron_bindir}\" \"\${_pipiron_program}\")
  set(_pipiron_link \"\$ENV{DESTDIR}\${_pipiron_bindir}/pipiron\")
  message(STATUS \"Installing: \${_pipiron_link} -> \${_pipiron_target}\")
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${_pipiron_bindir}\")
  file(REMOVE \"\${_pipiron_link}\")
  file(CREATE_LINK \"\${_pipiron_target}\" \"\${_pipiron_link}\" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${_pipiron_link}\")
")
