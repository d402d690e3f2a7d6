#pragma once

#include <memory>

#include "ui/viewer.h"

namespace kestro {

// The platform's viewer window for "/SHOWDIALOG": on POSIX the Qt module,
// loaded only now; on Windows the Win32 form. Throws RuntimeError when there
// is none to open (no display, no desktop, the viewer module missing).
std::unique_ptr<ReportViewer> OpenReportViewer();

}  // namespace kestro
