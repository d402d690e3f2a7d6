# What every Windows folder shares: wide text, system error texts, the
# handle owner and the whole-file reader.
target_sources(kestro_base PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/wide_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_error.cpp
  ${CMAKE_CURRENT_LIST_DIR}/whole_file.cpp
)
target_compile_definitions(kestro_base PUBLIC UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
