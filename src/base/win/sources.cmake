# What every Windows folder shares: wide text, system error texts, the
# handle owner and the whole-file reader.
target_sources(kestro_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/wide_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_error.cpp
  ${CMAKE_CURRENT_LIST_DIR}/whole_file.cpp
)
