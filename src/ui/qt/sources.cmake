# The viewer window for "/SHOWDIALOG" in Qt 6 Widgets, built as a module that
# kestro and kestro-replay load at run time only when a window is asked for
# (ui/viewer.h, platform/posix/viewer_loader.cpp). Without Qt 6 the rest still
# builds and /SHOWDIALOG fails with a message.
option(KESTRO_BUILD_VIEWER "Build the Qt 6 viewer window module for /SHOWDIALOG" ON)

# What the viewer decides without Qt, tested without it: the form's geometry
# in twips and whether there is a display. Position-independent to go into
# the module.
add_library(kestro_viewer_rules STATIC
  ${CMAKE_CURRENT_LIST_DIR}/../form_geometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/display_check.cpp
)
target_include_directories(kestro_viewer_rules PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kestro_viewer_rules PUBLIC kestro_sanitizers PRIVATE kestro_warnings)
set_target_properties(kestro_viewer_rules PROPERTIES
  POSITION_INDEPENDENT_CODE ON CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

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
  add_library(kestro-viewer-qt MODULE
    ${CMAKE_CURRENT_LIST_DIR}/kestro_ui.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qt_viewer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/x11_frame_extents.cpp
  )
  target_link_libraries(kestro-viewer-qt PRIVATE
    kestro_viewer_rules Qt6::Widgets PkgConfig::KESTRO_XCB kestro_sanitizers kestro_warnings)
  # Named and placed as the loader expects: beside kestro and kestro-replay
  # in the build tree, in Kestro's folder of the library directory when
  # installed (a package of its own). Only the entry point is exported.
  set_target_properties(kestro-viewer-qt PROPERTIES
    PREFIX "" OUTPUT_NAME ${KESTRO_VIEWER_MODULE_NAME} SUFFIX ".so"
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  install(TARGETS kestro-viewer-qt LIBRARY DESTINATION ${KESTRO_VIEWER_INSTALL_DIR} COMPONENT viewer)
endif()
