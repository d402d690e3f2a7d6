# The records from sysfs.
target_sources(kestro_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/sysfs_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/usb_descriptors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_instance_ids.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_devices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sysfs_source.cpp
)
