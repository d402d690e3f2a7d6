// How Kestro.exe, a GUI-subsystem program without a console, shows what it
// has to say: in a message box, the way Windows programs report a run-time
// error. Where nobody would see the box (a service, a task run without a
// user), it would wait forever: the failure then goes to standard error, if
// the process was given one, and to the Application event log, and the run
// ends.
#include <windows.h>

#include "platform/console.h"
#include "core/text.h"
#include "platform/windows/event_log.h"
#include "platform/windows/standard_stream.h"
#include "platform/windows/wide_text.h"
#include "platform/windows/window_audience.h"

namespace kestro {
namespace {

constexpr wchar_t kCaption[] = L"Kestro";

void ShowBox(const std::string& text, UINT icon) {
  const std::wstring wide = ToWide(FromUtf8(text));
  ::MessageBoxW(nullptr, wide.c_str(), kCaption, MB_OK | icon | MB_SETFOREGROUND);
}

bool NobodySeesABox() { return WhyNobodySeesThisProcessWindows().has_value(); }

}  // namespace

void ShowFailure(const std::string& message) {
  if (!NobodySeesABox()) {
    ShowBox(message, MB_ICONERROR);
    return;
  }
  WriteToStandardStream(STD_ERROR_HANDLE, message + "\r\n");
  ReportErrorToEventLog(message);
}

void PrintInformation(const std::string& text) {
  if (NobodySeesABox()) {
    WriteToStandardStream(STD_OUTPUT_HANDLE, text);
  } else {
    ShowBox(text, MB_ICONINFORMATION);
  }
}

}  // namespace kestro
