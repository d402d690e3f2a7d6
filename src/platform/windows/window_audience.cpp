#include "platform/windows/window_audience.h"

namespace kestro {
namespace {

bool ProcessWindowStationVisible() {
  const HWINSTA station = ::GetProcessWindowStation();  // not to be closed
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  if (station == nullptr || !::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed)) {
    return false;
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

DWORD ProcessSessionId() {
  DWORD session = 0;
  return ::ProcessIdToSessionId(::GetCurrentProcessId(), &session) ? session : kUnknownSession;
}

}  // namespace

std::optional<std::string> WhyNobodySeesWindows(bool stationVisible, DWORD sessionId) {
  if (!stationVisible) return "the process's window station is not visible";
  if (sessionId == 0) return "the process runs in session 0, where no user sees a window";
  return std::nullopt;
}

std::optional<std::string> WhyNobodySeesThisProcessWindows() {
  return WhyNobodySeesWindows(ProcessWindowStationVisible(), ProcessSessionId());
}

}  // namespace kestro
