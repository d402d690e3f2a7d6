#pragma once

#include <string>
#include <string_view>

namespace kestro {

// Shows `reportText` in the viewer window ("/SHOWDIALOG") until the user
// closes it, and gives the process's exit status then. On Linux this process
// becomes the viewer program (kestro-viewer, by exec), which reports its own
// failures under `programName`; on Windows the Win32 form runs here. Throws
// RuntimeError when there is no window to open (no desktop, no viewer
// program).
int ShowReport(std::u16string_view reportText, const std::string& programName);

}  // namespace kestro
