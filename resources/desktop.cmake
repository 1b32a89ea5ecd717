# The desktop entry, the AppStream metadata and the licence. The program stands in
# ${PIPIRON_INSTALL_DIR} together with everything it looks for beside itself;
# bin only holds a relative link to it, so the installed tree can be moved.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/desktop/${PIPIRON_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The link and the desktop entry are made when installing, so that
# `cmake --install --prefix` and DESTDIR are honoured.
install(CODE "
  set(PIPIRON_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
  set(PIPIRON_PROGRAM \"${PIPIRON_INSTALL_DIR}/pipiron\")
  set(PIPIRON_ENTRY_DIR \"${CMAKE_INSTALL_DATADIR}/applications\")
  set(PIPIRON_ENTRY_TEMPLATE \"${CMAKE_CURRENT_LIST_DIR}/desktop/${PIPIRON_APP_ID}.desktop.in\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/desktop/install.cmake\")
")
