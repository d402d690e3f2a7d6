# AddressSanitizer and UndefinedBehaviorSanitizer for the whole build, with
# every finding fatal.
add_library(kestro_sanitizers INTERFACE)
if(KESTRO_SANITIZE)
  set(_kestro_sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(kestro_sanitizers INTERFACE ${_kestro_sanitize_flags})
  target_link_options(kestro_sanitizers INTERFACE ${_kestro_sanitize_flags})
endif()
# The sanitize test preset runs with ASAN_OPTIONS=intercept_strndup=0: the X
# keyboard library under Qt's xcb platform calls strndup on X reply names
# that are not NUL-terminated within n bytes, which ASan's interceptor
# reports inside that library on every window the viewer tests open.
