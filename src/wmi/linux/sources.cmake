# The records from sysfs, and kestro, the program that reads them.
target_sources(kestro_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/sysfs_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/usb_descriptors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_instance_ids.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_devices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sysfs_source.cpp
)
add_executable(kestro ${CMAKE_CURRENT_SOURCE_DIR}/app/linux/kestro_main.cpp)
target_link_libraries(kestro PRIVATE kestro_core kestro_warnings kestro_static_runtime)
install(TARGETS kestro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/doc/kestro.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
