# What every POSIX folder shares: the descriptor owners and the whole-file
# reader.
target_sources(kestro_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/whole_file.cpp)
