#pragma once

#include <windows.h>

#include <string_view>

namespace kestro {

// Writes `text` (UTF-8) to the standard handle `which` (STD_OUTPUT_HANDLE,
// STD_ERROR_HANDLE): as wide text onto a console, as the bytes themselves
// into a pipe or a file. False, with the reason in GetLastError, where the
// process has no such handle or the write fails; what only tells the user
// something may ignore that.
bool WriteToStandardStream(DWORD which, std::string_view text);

}  // namespace kestro
