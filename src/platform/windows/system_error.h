#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/error.h"

// Windows error numbers as Kestro reports them.
namespace kestro {

// The system's own text for `number` (a Win32 error code or an HRESULT), in
// UTF-8 without the trailing line break; empty when the system has none.
std::string SystemMessage(std::uint32_t number);

// `hr` as a RuntimeError number: the HRESULT's 32 bits taken unsigned, so that
// it reads as 0x8004100E wherever it is printed.
constexpr std::int64_t HresultNumber(HRESULT hr) { return static_cast<std::uint32_t>(hr); }

// Throws RuntimeError with the calling thread's last Win32 error and `what`
// followed by the system's text for it.
[[noreturn]] void ThrowLastError(const std::string& what);

// The error for the Win32 error `number` after `what` failed: its number and
// `what` followed by the system's text. A failure that left no error code
// (0) is `whenNone` with `what` alone, never "error 0: Success".
RuntimeError SystemFailure(std::uint32_t number, const std::string& what, ErrorCode whenNone);

// Throws SystemFailure for the calling thread's last Win32 error.
[[noreturn]] void ThrowLastError(const std::string& what, ErrorCode whenNone);

}  // namespace kestro
