# Cross-build for 64-bit Windows with Debian's mingw-w64 (the POSIX-threads
# flavour, whose libstdc++ has std::thread and std::mutex). Executables run
# here under Wine, which serves as the cross-compiling emulator for ctest.
#
#   cmake -S . -B build/windows -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_kestro_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_kestro_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_kestro_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_kestro_mingw}-windres)

# Header-only packages of the build machine (nlohmann_json) are staged under
# their own prefix, so that their include directory holds nothing but them: a
# plain /usr/include would put the build machine's C headers in front of
# mingw's.
set(_kestro_host_stage "${CMAKE_BINARY_DIR}/mingw-host-packages")
if(EXISTS /usr/share/cmake/nlohmann_json AND EXISTS /usr/include/nlohmann)
  file(MAKE_DIRECTORY "${_kestro_host_stage}/share/cmake" "${_kestro_host_stage}/include")
  if(NOT EXISTS "${_kestro_host_stage}/share/cmake/nlohmann_json")
    file(CREATE_LINK /usr/share/cmake/nlohmann_json "${_kestro_host_stage}/share/cmake/nlohmann_json" SYMBOLIC)
  endif()
  if(NOT EXISTS "${_kestro_host_stage}/include/nlohmann")
    file(CREATE_LINK /usr/include/nlohmann "${_kestro_host_stage}/include/nlohmann" SYMBOLIC)
  endif()
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${_kestro_mingw} "${_kestro_host_stage}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(KESTRO_WINE_LOADER NAMES wine wine64)
if(KESTRO_WINE_LOADER)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")
endif()
