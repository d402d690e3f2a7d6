# How the file-mode programs (kestro, kestro-replay, kestro-snapshot) are
# linked. A run is about a millisecond, and on Linux most of it was the
# dynamic loader: mapping the C library and relocating against it. Linked
# fully static they start with nothing to load; the window, which needs Qt
# and so the loader, is a program of its own that they exec (kestro-viewer).
# Not under the sanitizers, whose runtimes need dynamic linking, nor for
# the fuzzers. Where the programs stay dynamic, the C++ runtime is still
# linked in: resolving libstdc++'s symbols at every start cost more than
# the rest of the start.
option(KESTRO_STATIC_PROGRAMS "Link the file-mode programs fully static on Linux" ON)
option(KESTRO_STATIC_CXX_RUNTIME "Link libstdc++ and libgcc statically into the executables" ON)
add_library(kestro_static_runtime INTERFACE)
if(WIN32 OR KESTRO_SANITIZE OR KESTRO_BUILD_FUZZERS OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  return()
endif()
if(KESTRO_STATIC_PROGRAMS AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
  target_link_options(kestro_static_runtime INTERFACE -static)
elseif(KESTRO_STATIC_CXX_RUNTIME)
  target_link_options(kestro_static_runtime INTERFACE -static-libstdc++ -static-libgcc)
endif()
