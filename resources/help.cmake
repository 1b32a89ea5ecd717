# The help page stands beside the executable, in the build tree as when installed.
configure_file(${CMAKE_CURRENT_LIST_DIR}/help/pipiron.html ${PIPIRON_RUNTIME_DIR}/pipiron.html
               COPYONLY)
if(DEFINED PIPIRON_INSTALL_DIR)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/help/pipiron.html DESTINATION ${PIPIRON_INSTALL_DIR})
endif()

# The manual page, with the version it describes.
configure_file(${CMAKE_CURRENT_LIST_DIR}/help/pipiron.1.in ${CMAKE_CURRENT_BINARY_DIR}/pipiron.1 @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pipiron.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
