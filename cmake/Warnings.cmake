# Warnings every target of ours builds with. They are errors where we build
# (the presets, CI) but not in a user's plain build: a newer compiler's false
# warning must not stop anyone from building Kestro.
option(KESTRO_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
add_library(kestro_warnings INTERFACE)
if(MSVC)
  target_compile_options(kestro_warnings INTERFACE /W4 $<$<BOOL:${KESTRO_WARNINGS_AS_ERRORS}>:/WX>)
else()
  target_compile_options(kestro_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                                   -Wno-sign-conversion $<$<BOOL:${KESTRO_WARNINGS_AS_ERRORS}>:-Werror>)
endif()
