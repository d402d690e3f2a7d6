# The records from sysfs, and kestro, the program that reads them.
target_sources(kestro_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/sysfs_source.cpp
)
add_executable(kestro ${CMAKE_CURRENT_SOURCE_DIR}/app/linux/kestro_main.cpp)
target_link_libraries(kestro PRIVATE kestro_core kestro_warnings kestro_static_runtime)
install(TARGETS kestro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
