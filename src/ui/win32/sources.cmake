# The viewer: the form KestroUI as a plain Win32 window with an EDIT control,
# laid out by the form's geometry that the Qt window shares.
target_sources(kestro_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/kestro_ui.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../form_geometry.cpp
)
target_link_libraries(kestro_platform PUBLIC user32 gdi32)
