#pragma once

#include <memory>
#include <string>

#include "ui/viewer.h"

namespace kestro {

// The platform's viewer window for "/SHOWDIALOG": on Linux the Qt viewer
// program, which takes this process's place when the window is run and then
// reports its failures under `programName`; on Windows the Win32 form.
// Throws RuntimeError when there is none to open (no desktop, the viewer
// program missing).
std::unique_ptr<ReportViewer> OpenReportViewer(const std::string& programName);

}  // namespace kestro
