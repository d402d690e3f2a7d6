#include "platform/windows/event_log.h"

#include <windows.h>

#include <memory>
#include <type_traits>

#include "core/text.h"
#include "platform/windows/wide_text.h"

namespace kestro {
namespace {

constexpr wchar_t kSource[] = L"Kestro";
constexpr DWORD kFailureEventId = 1;

struct EventSourceDeregistration {
  void operator()(HANDLE source) const { ::DeregisterEventSource(source); }
};
using EventSource = std::unique_ptr<std::remove_pointer_t<HANDLE>, EventSourceDeregistration>;

}  // namespace

void ReportErrorToEventLog(const std::string& line) {
  const EventSource source(::RegisterEventSourceW(nullptr, kSource));
  if (!source) return;
  const std::wstring text = ToWide(FromUtf8(line));
  const wchar_t* strings[] = {text.c_str()};
  ::ReportEventW(source.get(), EVENTLOG_ERROR_TYPE, 0, kFailureEventId, nullptr, 1, 0, strings, nullptr);
}

}  // namespace kestro
