# Run by CPack on the staged files of each package before it is made: gzips
# the manual pages (-9n: smallest, with no name or time in them, so the
# package is reproducible) and adds /usr/share/doc/<package>/copyright,
# changelog.Debian.gz and lintian's overrides, which Debian wants in every
# package and an ordinary install does not.
file(GLOB staged_components LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(component_root IN LISTS staged_components)
  get_filename_component(component ${component_root} NAME)
  string(TOUPPER ${component} upper)
  set(package ${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
  if(NOT package)
    message(FATAL_ERROR "no Debian package for the staged component '${component}'")
  endif()
  set(root ${component_root}${CPACK_PACKAGING_INSTALL_PREFIX})

  file(GLOB_RECURSE manual_pages "${root}/share/man/*.[1-9]")
  foreach(page IN LISTS manual_pages)
    execute_process(COMMAND gzip -9nf ${page} COMMAND_ERROR_IS_FATAL ANY)
  endforeach()

  # Copied, not file(INSTALL)ed: CPack's DESTDIR would send an install elsewhere.
  set(doc ${root}/share/doc/${package})
  file(MAKE_DIRECTORY ${doc})
  file(COPY_FILE ${CPACK_KESTRO_DEBIAN_DIR}/${package}.copyright ${doc}/copyright)
  file(COPY_FILE ${CPACK_KESTRO_DEBIAN_DIR}/changelog ${doc}/changelog.Debian)
  execute_process(COMMAND gzip -9nf ${doc}/changelog.Debian COMMAND_ERROR_IS_FATAL ANY)
  set(overrides ${root}/share/lintian/overrides)
  file(MAKE_DIRECTORY ${overrides})
  file(COPY_FILE ${CPACK_KESTRO_DEBIAN_DIR}/${package}.lintian-overrides ${overrides}/${package})
  file(CHMOD ${doc}/copyright ${doc}/changelog.Debian.gz ${overrides}/${package}
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
