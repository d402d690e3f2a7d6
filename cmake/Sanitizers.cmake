# AddressSanitizer and UndefinedBehaviorSanitizer for the whole build, with
# every finding fatal.
add_library(kestro_sanitizers INTERFACE)
if(KESTRO_SANITIZE)
  set(_kestro_sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(kestro_sanitizers INTERFACE ${_kestro_sanitize_flags})
  target_link_options(kestro_sanitizers INTERFACE ${_kestro_sanitize_flags})
endif()
