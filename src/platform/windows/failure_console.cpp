// How the console programs (kestro-replay.exe, the tools) show what they have
// to say: on standard error and standard output, as wide text on a console
// window and as UTF-8 bytes into a pipe or a file.
#include <windows.h>

#include "platform/console.h"
#include "core/text.h"
#include "platform/windows/wide_text.h"

namespace kestro {
namespace {

void WriteTo(DWORD which, const std::string& text) {
  const HANDLE handle = ::GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  DWORD written = 0;
  if (::GetConsoleMode(handle, &mode)) {
    const std::wstring wide = ToWide(FromUtf8(text));
    ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
}

}  // namespace

void ShowFailure(const std::string& message) { WriteTo(STD_ERROR_HANDLE, message + "\r\n"); }

void PrintInformation(const std::string& text) { WriteTo(STD_OUTPUT_HANDLE, text); }

}  // namespace kestro
