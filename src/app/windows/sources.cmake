# The Windows executables: Kestro.exe (GUI subsystem, the machine's WMI),
# kestro-replay.exe and kestro-wmi-snapshot.exe (console programs). All are
# linked with the C and C++ runtimes inside them, so that they run on a PC
# without mingw's DLLs.
add_library(kestro_windows_static_runtime INTERFACE)
target_link_options(kestro_windows_static_runtime INTERFACE -static)
# Wide-character entry points (wWinMain, wmain).
add_library(kestro_windows_executable INTERFACE)
target_link_options(kestro_windows_executable INTERFACE -municode)
target_link_libraries(kestro_windows_executable INTERFACE kestro_windows_static_runtime)

add_library(kestro_windows_app STATIC ${CMAKE_CURRENT_LIST_DIR}/argument_text.cpp)
target_link_libraries(kestro_windows_app PUBLIC kestro_app PRIVATE kestro_warnings)

# A failure is shown in a message box by Kestro.exe and on standard error by
# the console programs.
set(KESTRO_WINDOWS_CONSOLE_OUTPUT ${CMAKE_CURRENT_SOURCE_DIR}/platform/windows/failure_console.cpp)

# The resource compiler does not see that the manifest is part of what it
# makes; without this a changed manifest would not reach the programs.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/kestro.rc ${CMAKE_CURRENT_LIST_DIR}/console_programs.rc
  PROPERTIES OBJECT_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/kestro.manifest)

add_executable(Kestro WIN32
  ${CMAKE_CURRENT_LIST_DIR}/kestro_main.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/windows/failure_message_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/kestro.rc
)
target_link_libraries(Kestro PRIVATE kestro_windows_app kestro_windows_executable kestro_warnings)

# kestro-replay reads the Windows command line as one text, as Kestro.exe does.
add_executable(kestro-replay ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp ${KESTRO_WINDOWS_CONSOLE_OUTPUT}
  ${CMAKE_CURRENT_LIST_DIR}/console_programs.rc)
target_link_libraries(kestro-replay PRIVATE kestro_windows_app kestro_windows_executable kestro_warnings)

add_executable(kestro-wmi-snapshot ${CMAKE_CURRENT_LIST_DIR}/wmi_snapshot_main.cpp ${KESTRO_WINDOWS_CONSOLE_OUTPUT}
  ${CMAKE_CURRENT_LIST_DIR}/console_programs.rc)
target_link_libraries(kestro-wmi-snapshot PRIVATE
  kestro_windows_app kestro_windows_executable kestro_warnings)

install(TARGETS Kestro kestro-replay kestro-wmi-snapshot RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
