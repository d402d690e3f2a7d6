# POSIX glue: Windows-1252 for the ANSI code page, the atomic file writer,
# standard error for failures, and the viewer's absence.
target_sources(kestro_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ansi_code_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/console.cpp
  ${CMAKE_CURRENT_LIST_DIR}/no_viewer.cpp
)
install(TARGETS kestro-replay RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
