#include "platform/windows/standard_stream.h"

#include <algorithm>
#include <string>

#include "base/win/system_error.h"
#include "base/win/wide_text.h"
#include "core/text.h"
#include "platform/console.h"

namespace kestro {
namespace {

// Hands `data` to `write` (WriteFile, WriteConsoleW) until all of it has
// gone, in pieces a DWORD can count; false when a write fails or takes
// nothing.
template <typename Char, typename Write>
bool WriteWhole(std::basic_string_view<Char> data, Write write) {
  constexpr std::size_t kMostAtOnce = 1u << 30;
  while (!data.empty()) {
    DWORD written = 0;
    if (!write(data.data(), static_cast<DWORD>(std::min(data.size(), kMostAtOnce)), &written)) return false;
    if (written == 0) {
      ::SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool WriteToStandardStream(DWORD which, std::string_view text) {
  const HANDLE handle = ::GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  DWORD mode = 0;
  if (::GetConsoleMode(handle, &mode)) {
    const std::wstring wide = ToWide(FromUtf8(text));
    return WriteWhole(std::wstring_view(wide), [handle](const wchar_t* data, DWORD size, DWORD* written) {
      return ::WriteConsoleW(handle, data, size, written, nullptr) != FALSE;
    });
  }
  return WriteWhole(text, [handle](const char* data, DWORD size, DWORD* written) {
    return ::WriteFile(handle, data, size, written, nullptr) != FALSE;
  });
}

// The same for every executable, whatever its subsystem: the recorder's
// product goes where its caller sent standard output.
void WriteSnapshotToStandardOutput(std::string_view json) {
  if (!WriteToStandardStream(STD_OUTPUT_HANDLE, json)) {
    ThrowLastError("cannot write the snapshot to standard output");
  }
}

}  // namespace kestro
