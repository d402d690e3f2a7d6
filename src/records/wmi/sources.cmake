# The records from the machine's WMI, over COM.
target_sources(kestro_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/com_types.cpp
  ${CMAKE_CURRENT_LIST_DIR}/variant_value.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wmi_source.cpp
)
target_link_libraries(kestro_platform PUBLIC wbemuuid ole32 oleaut32 uuid)
