# The help page stands beside the executable, in the build tree as when installed.
configure_file(${CMAKE_CURRENT_LIST_DIR}/help/pipiron.html ${PIPIRON_RUNTIME_DIR}/pipiron.html
               COPYONLY)
if(DEFINED PIPIRON_INSTALL_DIR)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/help/pipiron.html DESTINATION ${PIPIRON_INSTALL_DIR})
endif()
