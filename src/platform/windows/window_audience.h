#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Whether anyone can see (and so dismiss or close) a window this process
// shows. A service, a scheduled task that runs whether or not a user is
// logged on, a deployment tool running as SYSTEM: their windows appear on a
// desktop nobody looks at, and a program waiting for them never ends.
namespace kestro {

// The session id given when the process's own cannot be had.
inline constexpr DWORD kUnknownSession = 0xFFFFFFFF;

// Why nobody sees a window of a process whose window station is visible or
// not (`stationVisible`, WSF_VISIBLE) and that runs in session `sessionId`;
// nothing when someone can. Session 0 holds the services: even its WinSta0
// is shown to no user.
std::optional<std::string> WhyNobodySeesWindows(bool stationVisible, DWORD sessionId);

// The same for the running process. A window station whose flags cannot be
// read counts as not visible, since a window nobody can close must never be
// risked.
std::optional<std::string> WhyNobodySeesThisProcessWindows();

}  // namespace kestro
