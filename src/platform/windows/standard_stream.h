#pragma once

#include <windows.h>

#include <string>

namespace kestro {

// Writes `text` (UTF-8) to the standard handle `which` (STD_OUTPUT_HANDLE,
// STD_ERROR_HANDLE): as wide text onto a console, as the bytes themselves
// into a pipe or a file. Does nothing where the process has no such handle.
void WriteToStandardStream(DWORD which, const std::string& text);

}  // namespace kestro
