# kestro-replay on every POSIX system: it joins its arguments as POSIX hands
# them over.
add_executable(kestro-replay ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp)
target_link_libraries(kestro-replay PRIVATE kestro_app kestro_warnings kestro_static_runtime)
install(TARGETS kestro-replay RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
kestro_install_manual_page(kestro-replay.1)
if(TARGET kestro-viewer)
  add_dependencies(kestro-replay kestro-viewer)
endif()
