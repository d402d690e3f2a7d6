#include "core/error.h"
#include "ui/viewer.h"

namespace kestro {

std::unique_ptr<ReportViewer> OpenReportViewer() {
  throw RuntimeError(ErrorCode::NoViewer, "this build of Kestro has no viewer window; /SHOWDIALOG cannot be served");
}

}  // namespace kestro
