# The program's version, stated once: project(VERSION M.m.p) in the top
# CMakeLists.txt. Everything else that states it is made from these at
# configure time, by one rule:
#   KESTRO_VERSION_TEXT     M, a dot and m as two digits ("1.00"; 1.1.0 gives
#                           "1.01"): --version, the version record's texts,
#                           the Debian version and package names, the
#                           manual pages' headers
#   KESTRO_VERSION_NUMBERS  M,m,p,0: the version record's numbers
#   KESTRO_VERSION_DOTTED   M.m.p.0: the Windows manifest
#   PROJECT_VERSION         M.m.p: the installer's ProductVersion
# The report's "[Versions]" texts are fixed report content, not this.
function(kestro_version_text out major minor)
  if(minor GREATER 99)
    message(FATAL_ERROR "the minor version ${minor} does not fit in two digits")
  endif()
  string(LENGTH "${minor}" digits)
  if(digits EQUAL 1)
    set(minor "0${minor}")
  endif()
  set(${out} "${major}.${minor}" PARENT_SCOPE)
endfunction()

# The rule alone, for its test: cmake -DKESTRO_VERSION=M.m.p -P Version.cmake
if(CMAKE_SCRIPT_MODE_FILE)
  string(REPLACE "." ";" _parts "${KESTRO_VERSION}")
  list(GET _parts 0 _major)
  list(GET _parts 1 _minor)
  kestro_version_text(_text ${_major} ${_minor})
  message(NOTICE "${_text}")
  return()
endif()

kestro_version_text(KESTRO_VERSION_TEXT ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR})
set(KESTRO_VERSION_NUMBERS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
set(KESTRO_VERSION_DOTTED "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")

# For the scripts that package the build (scripts/build-windows-packages.sh).
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/kestro-version.env CONTENT
"KESTRO_VERSION_TEXT=${KESTRO_VERSION_TEXT}
KESTRO_PRODUCT_VERSION=${PROJECT_VERSION}
")

# A manual page with its header's version filled in, installed into man1.
function(kestro_install_manual_page name)
  set(page ${PROJECT_BINARY_DIR}/doc/${name})
  configure_file(${PROJECT_SOURCE_DIR}/doc/${name}.in ${page} @ONLY)
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
