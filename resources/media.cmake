# The default alarm sound stands beside the executable in media/.
# chimegen makes it anew: build/chimegen resources/media/tada.wav
add_executable(chimegen ${CMAKE_CURRENT_LIST_DIR}/gen/chimegen.cpp)
target_link_libraries(chimegen PRIVATE pipiron_wavwriter)

set(PIPIRON_CHIME ${CMAKE_CURRENT_LIST_DIR}/media/tada.wav)
add_custom_command(
  OUTPUT ${PIPIRON_RUNTIME_DIR}/media/tada.wav
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PIPIRON_RUNTIME_DIR}/media
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PIPIRON_CHIME} ${PIPIRON_RUNTIME_DIR}/media/tada.wav
  DEPENDS ${PIPIRON_CHIME}
  COMMENT "Copying the alarm sound beside the executable")
add_custom_target(pipiron_media ALL DEPENDS ${PIPIRON_RUNTIME_DIR}/media/tada.wav)

if(DEFINED PIPIRON_INSTALL_DIR)
  install(FILES ${PIPIRON_CHIME} DESTINATION ${PIPIRON_INSTALL_DIR}/media)
endif()
