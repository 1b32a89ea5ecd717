# The dial and mask of the clock faces. Both are drawn by dialgen; after changing
# resources/gen, regenerate them with
# `cmake --build build --target dialgen && build/dialgen resources/pictures`.
qt_add_resources(pipiron_ui "pictures"
  PREFIX "/pictures"
  BASE ${CMAKE_CURRENT_SOURCE_DIR}/pictures
  FILES
    ${CMAKE_CURRENT_SOURCE_DIR}/pictures/dial.bmp
    ${CMAKE_CURRENT_SOURCE_DIR}/pictures/mask.bmp)

add_executable(dialgen gen/dialgen.cpp gen/dialpictures.cpp)
target_include_directories(dialgen PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(dialgen PRIVATE Qt6::Gui)
