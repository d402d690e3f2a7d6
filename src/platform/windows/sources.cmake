# Windows glue: the real ANSI code page, the atomic file writer, the
# rules for its target and the owner-only access it gives, the snapshot
# file, the viewer's opening, and what failure output needs (standard
# streams, the event log, whether anyone sees a window). How a failure is shown depends on the executable's subsystem,
# so each executable brings its own (app/windows/sources.cmake).
target_sources(kestro_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ansi_code_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_target.cpp
  ${CMAKE_CURRENT_LIST_DIR}/owner_only_access.cpp
  ${CMAKE_CURRENT_LIST_DIR}/snapshot_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_viewer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/standard_stream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_audience.cpp
  ${CMAKE_CURRENT_LIST_DIR}/event_log.cpp
)
target_link_libraries(kestro_platform PUBLIC kestro_ui advapi32)

