# POSIX glue: Windows-1252 for the ANSI code page, the atomic file writer,
# standard error for failures, and the loader of the viewer module.
set(KESTRO_VIEWER_MODULE_NAME kestro-viewer-qt)
target_sources(kestro_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ansi_code_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/console.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewer_loader.cpp
)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/viewer_loader.cpp PROPERTIES
  COMPILE_DEFINITIONS KESTRO_VIEWER_MODULE_FILE="${KESTRO_VIEWER_MODULE_NAME}.so")
target_link_libraries(kestro_core PRIVATE ${CMAKE_DL_LIBS})
# kestro-replay joins its arguments as POSIX hands them over.
add_executable(kestro-replay ${CMAKE_CURRENT_SOURCE_DIR}/app/posix/replay_main.cpp)
target_link_libraries(kestro-replay PRIVATE kestro_core kestro_warnings kestro_static_runtime)
install(TARGETS kestro-replay RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
