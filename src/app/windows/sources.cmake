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

# The version the resources state (the manifest's assemblyIdentity, the
# version record's numbers and texts) is made from project(VERSION) at
# configure time (cmake/Version.cmake), into a folder of the build that both
# .rc files read from.
set(_kestro_resources ${CMAKE_CURRENT_BINARY_DIR}/kestro_resources)
configure_file(${CMAKE_CURRENT_LIST_DIR}/kestro.manifest.in ${_kestro_resources}/kestro.manifest @ONLY)
file(CONFIGURE OUTPUT ${_kestro_resources}/kestro_version.h CONTENT
"#define KESTRO_VERSION_NUMBERS @KESTRO_VERSION_NUMBERS@
#define KESTRO_VERSION_TEXT \"@KESTRO_VERSION_TEXT@\"
" @ONLY)
# The resource compiler does not see that the manifest is part of what it
# makes; without this a changed manifest would not reach the programs.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/console_programs.rc PROPERTIES
  INCLUDE_DIRECTORIES ${_kestro_resources}
  OBJECT_DEPENDS ${_kestro_resources}/kestro.manifest)

# The message table that the event log's viewer finds through the
# registration of the source "Kestro" (EventMessageFile = Kestro.exe):
# compiled by windmc, the resource compiler's companion, into a folder of its
# own that kestro.rc includes from.
string(REGEX REPLACE "windres([^/]*)$" "windmc\\1" _kestro_windmc_guess "${CMAKE_RC_COMPILER}")
find_program(KESTRO_WINDMC NAMES "${_kestro_windmc_guess}" windmc REQUIRED)
set(_kestro_messages ${CMAKE_CURRENT_BINARY_DIR}/kestro_messages)
add_custom_command(
  OUTPUT ${_kestro_messages}/kestro_messages.rc ${_kestro_messages}/MSG00001.bin
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_kestro_messages}
  COMMAND ${KESTRO_WINDMC} -h ${_kestro_messages} -r ${_kestro_messages} ${CMAKE_CURRENT_LIST_DIR}/kestro_messages.mc
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/kestro_messages.mc
  VERBATIM)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/kestro.rc PROPERTIES
  INCLUDE_DIRECTORIES "${_kestro_resources};${_kestro_messages}"
  OBJECT_DEPENDS "${_kestro_resources}/kestro.manifest;${_kestro_resources}/kestro_version.h;${_kestro_messages}/kestro_messages.rc;${_kestro_messages}/MSG00001.bin")

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
