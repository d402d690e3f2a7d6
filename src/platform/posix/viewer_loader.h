#pragma once

#include <memory>
#include <string>

#include "ui/viewer.h"

namespace kestro {

// Loads the viewer module at `modulePath` and opens its viewer, which keeps
// the module loaded for as long as it lives. Throws RuntimeError when the
// module cannot be loaded, is not a viewer module of this build, or has no
// viewer to open (no display).
std::unique_ptr<ReportViewer> OpenReportViewerModule(const std::string& modulePath);

// Where OpenReportViewer looks for the module: beside the running executable.
std::string ViewerModulePath();

}  // namespace kestro
