# The clock icons and the hand cursor are XPM sources compiled in by app/programimage.cpp.

# Desktops want the program's icon at several sizes; the pixel art is scaled
# without smoothing so that it stays crisp.
add_executable(iconscale ${CMAKE_CURRENT_SOURCE_DIR}/gen/iconscale.cpp)
target_link_libraries(iconscale PRIVATE Qt6::Gui)

set(PIPIRON_ICON_SIZES 32 48 64 128)
set(PIPIRON_ICON_PNGS)
foreach(size ${PIPIRON_ICON_SIZES})
  list(APPEND PIPIRON_ICON_PNGS ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/${PIPIRON_APP_ID}.png)
endforeach()
add_custom_command(
  OUTPUT ${PIPIRON_ICON_PNGS}
  COMMAND iconscale ${CMAKE_CURRENT_SOURCE_DIR}/icons/mainicon.xpm
          ${CMAKE_BINARY_DIR}/icons/hicolor ${PIPIRON_APP_ID} ${PIPIRON_ICON_SIZES}
  DEPENDS iconscale ${CMAKE_CURRENT_SOURCE_DIR}/icons/mainicon.xpm
  COMMENT "Scaling the program icon for the desktop"
  VERBATIM)
add_custom_target(pipiron_icons ALL DEPENDS ${PIPIRON_ICON_PNGS})
add_dependencies(pipiron_ui pipiron_icons)

install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
