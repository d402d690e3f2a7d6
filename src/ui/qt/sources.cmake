# The viewer window for "/SHOWDIALOG" in Qt 6 Widgets, built as a program of
# its own, kestro-viewer, that kestro and kestro-replay become by exec only
# when a window is asked for (ui/viewer_program.h,
# platform/linux/viewer_launcher.cpp). Without Qt 6 the rest still builds and
# /SHOWDIALOG fails with a message.
option(KESTRO_BUILD_VIEWER "Build the Qt 6 viewer program for /SHOWDIALOG" ON)

# What the viewer decides without Qt, tested without it: beside the form's
# geometry in twips, whether there is a display and which Qt platform shows
# the window.
target_sources(kestro_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/display_check.cpp)

if(KESTRO_BUILD_VIEWER)
  find_package(Qt6 QUIET COMPONENTS Widgets)
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND)
    pkg_check_modules(KESTRO_XCB QUIET IMPORTED_TARGET GLOBAL xcb)
  endif()
  if(NOT Qt6Widgets_FOUND OR NOT KESTRO_XCB_FOUND)
    message(STATUS "Qt 6 Widgets or libxcb not found (qt6-base-dev, libxcb1-dev): "
                   "building without the viewer window; /SHOWDIALOG will fail with a message")
  endif()
endif()

if(KESTRO_BUILD_VIEWER AND Qt6Widgets_FOUND AND KESTRO_XCB_FOUND)
  # The window itself, for the program and for the tests that open it in
  # their own process.
  add_library(kestro_qt_viewer STATIC
    ${CMAKE_CURRENT_LIST_DIR}/kestro_ui.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qt_viewer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/x11_frame_extents.cpp
  )
  target_link_libraries(kestro_qt_viewer
    PUBLIC kestro_ui Qt6::Widgets PkgConfig::KESTRO_XCB
    PRIVATE kestro_warnings)

  # Placed as the launcher expects: beside kestro and kestro-replay in the
  # build tree, in Kestro's folder of the library directory when installed
  # (a package of its own). Linked dynamically, as Qt is.
  add_executable(kestro-viewer ${CMAKE_CURRENT_LIST_DIR}/viewer_main.cpp)
  target_link_libraries(kestro-viewer PRIVATE kestro_qt_viewer kestro_warnings)
  set_target_properties(kestro-viewer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  install(TARGETS kestro-viewer RUNTIME DESTINATION ${KESTRO_VIEWER_INSTALL_DIR} COMPONENT viewer)
endif()
