#include "platform/report_viewer.h"

#include "core/error.h"
#include "platform/windows/window_audience.h"
#include "ui/win32/kestro_ui.h"

namespace kestro {

// Failures are reported by the program itself, which knows its name.
int ShowReport(std::u16string_view reportText, const std::string& /*programName*/) {
  // A window nobody can see is never closed, and the run would never end.
  if (const auto reason = WhyNobodySeesThisProcessWindows()) {
    throw RuntimeError(ErrorCode::NoViewer,
                       "the window cannot be shown: there is no desktop to show it on (" + *reason + ")");
  }
  KestroUI form;
  form.ShowReportWindow(reportText);
  return form.RunUntilClosed();
}

}  // namespace kestro
