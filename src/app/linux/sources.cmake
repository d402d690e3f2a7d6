# kestro on Linux: profiles the machine it runs on from sysfs.
add_executable(kestro ${CMAKE_CURRENT_LIST_DIR}/kestro_main.cpp)
target_link_libraries(kestro PRIVATE kestro_app kestro_warnings kestro_static_runtime)
install(TARGETS kestro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
kestro_install_manual_page(kestro.1)
# The JSON report's schema, for those who read the report as JSON.
install(FILES ${PROJECT_SOURCE_DIR}/doc/kestro-report.schema.json DESTINATION ${CMAKE_INSTALL_DATADIR}/kestro)
# The report as Ansible's local fact and Facter's external fact (each runs the
# installed kestro), and the playbook that enables the first across a fleet.
set(KESTRO_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}/kestro)
foreach(fact ansible/kestro.fact facter/kestro)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/${fact}.in ${PROJECT_BINARY_DIR}/packaging/${fact} @ONLY)
  get_filename_component(engine ${fact} DIRECTORY)
  install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/${fact} DESTINATION ${CMAKE_INSTALL_DATADIR}/kestro/${engine})
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ansible/kestro.yml ${PROJECT_SOURCE_DIR}/packaging/ansible/kestro-fleet.csv.j2
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kestro/ansible)
if(TARGET kestro-viewer)
  add_dependencies(kestro kestro-viewer)
endif()

# kestro-replay: the run of kestro on a snapshot's records; it joins its
# arguments as Linux hands them over.
add_executable(kestro-replay ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp)
target_link_libraries(kestro-replay PRIVATE kestro_app kestro_warnings kestro_static_runtime)
install(TARGETS kestro-replay RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
kestro_install_manual_page(kestro-replay.1)
if(TARGET kestro-viewer)
  add_dependencies(kestro-replay kestro-viewer)
endif()

# kestro-snapshot: records what kestro reads here as a snapshot for kestro-replay.
add_executable(kestro-snapshot ${CMAKE_CURRENT_LIST_DIR}/snapshot_main.cpp)
target_link_libraries(kestro-snapshot PRIVATE kestro_app kestro_warnings kestro_static_runtime)
install(TARGETS kestro-snapshot RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
kestro_install_manual_page(kestro-snapshot.1)
