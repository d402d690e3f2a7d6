# The viewer: the form KestroUI as a plain Win32 window with an EDIT control.
target_sources(kestro_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/kestro_ui.cpp)
target_link_libraries(kestro_platform PUBLIC user32 gdi32)
