# The C++ runtime linked into the executables, not loaded beside them: a run
# of kestro is a few milliseconds, and resolving libstdc++'s symbols at start
# costs a good share of that. The C library stays shared so that the viewer
# module can still be opened with dlopen.
option(KESTRO_STATIC_CXX_RUNTIME "Link libstdc++ and libgcc statically into the executables" ON)
add_library(kestro_static_runtime INTERFACE)
if(KESTRO_STATIC_CXX_RUNTIME AND NOT WIN32 AND NOT KESTRO_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_link_options(kestro_static_runtime INTERFACE -static-libstdc++ -static-libgcc)
endif()
