# Linux glue: Windows-1252 for the ANSI code page, the atomic file writer,
# standard error for failures, and the launcher of the viewer program.
set(KESTRO_VIEWER_PROGRAM_NAME kestro-viewer)
target_sources(kestro_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ansi_code_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/snapshot_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/console.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewer_launcher.cpp
)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/viewer_launcher.cpp PROPERTIES
  COMPILE_DEFINITIONS "KESTRO_VIEWER_PROGRAM_FILE=\"${KESTRO_VIEWER_PROGRAM_NAME}\";KESTRO_VIEWER_INSTALLED_DIR=\"${KESTRO_VIEWER_DIR_FROM_PROGRAMS}\"")
