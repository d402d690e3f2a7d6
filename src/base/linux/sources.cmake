# What every Linux folder shares: the descriptor owners, system errors and
# the write loop, the whole-file reader, the link reader and the sealed
# memory file that hands the report to the viewer.
target_sources(kestro_base PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/system_error.cpp
  ${CMAKE_CURRENT_LIST_DIR}/whole_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/read_link.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sealed_memory_file.cpp
)
