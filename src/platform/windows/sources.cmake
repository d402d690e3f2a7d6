# Windows glue: the real ANSI code page, the atomic file writer and the
# rules for its target, the wide-character and error helpers the other
# Windows folders share, and what failure output needs (standard streams,
# the event log, whether anyone sees a window). How a failure is shown
# depends on the executable's subsystem, so each executable brings its own
# (app/windows/sources.cmake).
target_sources(kestro_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/wide_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_error.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ansi_code_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_target.cpp
  ${CMAKE_CURRENT_LIST_DIR}/standard_stream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_audience.cpp
  ${CMAKE_CURRENT_LIST_DIR}/event_log.cpp
)
target_link_libraries(kestro_platform PUBLIC advapi32)
target_compile_definitions(kestro_platform PUBLIC UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
# GCC 12 warns of an overlapping memcpy inside libstdc++'s operator+ on
# strings where none can happen (GCC bug 105651); mingw's inlining meets it
# in the core's snapshot reader.
target_compile_options(kestro_core PRIVATE
  $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
