// How Kestro.exe, a GUI-subsystem program without a console, shows what it
// has to say: in a message box, the way Windows programs report a run-time
// error.
#include <windows.h>

#include "platform/console.h"
#include "core/text.h"
#include "platform/windows/wide_text.h"

namespace kestro {
namespace {

constexpr wchar_t kCaption[] = L"Kestro";

void ShowBox(const std::string& text, UINT icon) {
  const std::wstring wide = ToWide(FromUtf8(text));
  ::MessageBoxW(nullptr, wide.c_str(), kCaption, MB_OK | icon | MB_SETFOREGROUND);
}

}  // namespace

void ShowFailure(const std::string& message) { ShowBox(message, MB_ICONERROR); }

void PrintInformation(const std::string& text) { ShowBox(text, MB_ICONINFORMATION); }

}  // namespace kestro
