# The Debian packages, made by CPack's DEB generator from the install rules
# (./scripts/build-packages.sh drives it): "kestro" holds every rule without a
# component of its own (the programs and their manual pages), "kestro-viewer"
# the Qt viewer program, so that the programs' package pulls in no Qt.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestro)
set(CPACK_PACKAGE_VENDOR "The Kestro authors")
# The programs' own version ("Kestro 1.00"), not CMake's three-part one.
set(CPACK_PACKAGE_VERSION ${KESTRO_VERSION_TEXT})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# The programs find the viewer from their own place; both must come from the
# prefix the build was configured for.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(KESTRO_PACKAGE_MAINTAINER "The Kestro authors <kestro@example.org>" CACHE STRING
    "Maintainer field of the Debian packages")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KESTRO_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_KESTRO_PACKAGE_NAME kestro)
set(CPACK_DEBIAN_KESTRO_PACKAGE_RECOMMENDS kestro-viewer)
set(CPACK_DEBIAN_KESTRO_DESCRIPTION "hardware and firmware identity of a PC as an INI report
kestro profiles the machine it runs on - the raw SMBIOS table, the computer
system and base board, the PCI and USB devices - and writes the result as one
INI-style report, Kestro.ini. kestro-replay writes the report of a machine
described by a JSON snapshot instead.")

# The viewer is built with the programs and fits only their build: the
# report is handed over as they hand it.
set(CPACK_DEBIAN_VIEWER_PACKAGE_NAME kestro-viewer)
set(CPACK_DEBIAN_VIEWER_PACKAGE_DEPENDS "kestro (= ${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})")
set(CPACK_DEBIAN_VIEWER_DESCRIPTION "Qt window for Kestro's report
The Qt 6 Widgets window in which kestro and kestro-replay show the report
instead of writing it, when run with /SHOWDIALOG. It is a program of its own,
kestro-viewer, that they become only for that switch.")

# Debian's own rules for the staged files: compressed manual pages, the
# copyright file and changelog.Debian.gz.
set(CPACK_KESTRO_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/packaging/debian)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/debian/stage.cmake)

include(CPack)
