# The dial and mask of the clock faces, compiled in as XPM sources (app/programimage.cpp).
# Both are drawn by dialgen; after changing resources/gen, regenerate them with
# `cmake --build build --target dialgen && build/dialgen resources/pictures`.

add_executable(dialgen gen/dialgen.cpp gen/dialpictures.cpp)
target_include_directories(dialgen PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(dialgen PRIVATE Qt6::Gui)
