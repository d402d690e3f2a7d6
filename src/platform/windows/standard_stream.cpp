#include "platform/windows/standard_stream.h"

#include "core/text.h"
#include "platform/windows/wide_text.h"

namespace kestro {

void WriteToStandardStream(DWORD which, const std::string& text) {
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

}  // namespace kestro
