#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/viewer.h"

namespace kestro {

// Loads the viewer module at `modulePath` and opens its viewer, which keeps
// the module loaded for as long as it lives. Throws RuntimeError when the
// module cannot be loaded, is not a viewer module of this build, or has no
// viewer to open (no display).
std::unique_ptr<ReportViewer> OpenReportViewerModule(const std::string& modulePath);

// Where OpenReportViewer looks for the module, in this order: beside the
// running executable (a build tree), then where the packages install it,
// found from the executable's real location so that an installed tree works
// wherever it was put. The first place that holds a file is used.
std::vector<std::string> ViewerModuleCandidates();

}  // namespace kestro
