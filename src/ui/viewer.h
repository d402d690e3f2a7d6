#pragma once

#include <string_view>

namespace kestro {

// The viewer window: the form KestroUI with its one text box Text1. It is
// opened only for "/SHOWDIALOG", so that runs that write a file never load
// a window toolkit.
class ReportViewer {
 public:
  virtual ~ReportViewer() = default;
  // Puts `reportText` into the text box and shows the window without waiting.
  virtual void ShowReportWindow(std::u16string_view reportText) = 0;
  // Serves the window until the user closes it; the process's exit status.
  virtual int RunUntilClosed() = 0;
};

}  // namespace kestro
