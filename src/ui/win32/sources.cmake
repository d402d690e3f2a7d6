# The viewer: the form KestroUI as a plain Win32 window with an EDIT control,
# laid out by the form's geometry that the Qt window shares.
target_sources(kestro_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/kestro_ui.cpp)
target_link_libraries(kestro_ui PUBLIC user32 gdi32)
