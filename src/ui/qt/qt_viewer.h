#pragma once

#include <memory>

#include "ui/viewer.h"

namespace kestro {

// The Qt viewer of this process: the form KestroUI in a Qt application on
// a platform that can start (display_check.h). Throws RuntimeError 1002 when
// there is no display to show it on; one application per process.
std::unique_ptr<ReportViewer> OpenQtReportViewer();

}  // namespace kestro
