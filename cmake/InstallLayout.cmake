# Where an install puts things: the GNU directories (with the prefix /usr on
# Debian the library directory is lib/<multiarch>), and the viewer module in a
# folder of Kestro's own under it, since a module is neither a program for
# /usr/bin nor a library for others to link.
include(GNUInstallDirs)
set(KESTRO_VIEWER_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/kestro)
# The programs find the installed module from their own real location, so an
# installed tree works wherever its prefix puts it.
file(RELATIVE_PATH KESTRO_VIEWER_DIR_FROM_PROGRAMS
     ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${KESTRO_VIEWER_INSTALL_DIR})
# Every install rule that names no component of its own belongs to the main
# package: a program or manual page added later lands there without a change
# to the packaging.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME kestro)
