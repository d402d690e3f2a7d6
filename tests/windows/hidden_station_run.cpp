// hidden-station-run.exe TIMEOUT_MS COMMAND LINE...: runs a program as a
// service or an unattended task runs it, on a desktop of a window station
// that is not visible, with this helper's standard handles and folder. A test
// helper, not part of Kestro. Prints "exit=N", or "exit=timeout" when the
// program had not ended after TIMEOUT_MS (it is then ended); exit status 0,
// or 2 when the station, desktop or process could not be made.
#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

#include "app/program.h"
#include "app/windows/argument_text.h"
#include "core/text.h"
#include "platform/windows/wide_text.h"

namespace {

template <typename Handle, BOOL(WINAPI* Close)(Handle)>
struct Closer {
  void operator()(Handle handle) const { Close(handle); }
};
template <typename Handle, BOOL(WINAPI* Close)(Handle)>
using Owned = std::unique_ptr<std::remove_pointer_t<Handle>, Closer<Handle, Close>>;

int Fail(const std::string& what) {
  kestro::ShowFailure("hidden-station-run: " + what + " failed, error " + std::to_string(::GetLastError()));
  return 2;
}

// A desktop "Default" in `station`, which CreateDesktopW takes from the
// process's own station.
Owned<HDESK, &::CloseDesktop> CreateDesktopIn(HWINSTA station) {
  const HWINSTA own = ::GetProcessWindowStation();
  if (!::SetProcessWindowStation(station)) return nullptr;
  Owned<HDESK, &::CloseDesktop> desktop(::CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr));
  ::SetProcessWindowStation(own);
  return desktop;
}

HANDLE Inherited(DWORD which) {
  const HANDLE handle = ::GetStdHandle(which);
  ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  return handle;
}

}  // namespace

int wmain() {
  const std::u16string commandLine = kestro::FromWide(::GetCommandLineW());
  const kestro::FirstWord timeout = kestro::SplitFirstWord(kestro::ArgumentTextOf(commandLine));
  std::wstring child = kestro::ToWide(timeout.rest);
  const Owned<HWINSTA, &::CloseWindowStation> station(
      ::CreateWindowStationW(L"KestroUnattended", 0, WINSTA_ALL_ACCESS, nullptr));
  if (!station) return Fail("CreateWindowStationW");
  const auto desktop = CreateDesktopIn(station.get());
  if (!desktop) return Fail("CreateDesktopW");

  std::wstring desktopName = L"KestroUnattended\\Default";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.lpDesktop = desktopName.data();
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inherited(STD_INPUT_HANDLE);
  startup.hStdOutput = Inherited(STD_OUTPUT_HANDLE);
  startup.hStdError = Inherited(STD_ERROR_HANDLE);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, child.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
    return Fail("CreateProcessW");
  }
  const Owned<HANDLE, &::CloseHandle> process(started.hProcess), thread(started.hThread);
  DWORD status = 0;
  if (::WaitForSingleObject(process.get(), std::wcstoul(kestro::ToWide(timeout.word).c_str(), nullptr, 10)) !=
      WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 1);
    kestro::PrintInformation("exit=timeout\n");
  } else if (::GetExitCodeProcess(process.get(), &status)) {
    kestro::PrintInformation("exit=" + std::to_string(status) + "\n");
  }
  return 0;
}
