#include "platform/windows/system_error.h"

#include <memory>

#include "core/error.h"
#include "core/text.h"
#include "platform/windows/wide_text.h"

namespace kestro {
namespace {

struct LocalFreeDeleter {
  void operator()(wchar_t* buffer) const { ::LocalFree(buffer); }
};

}  // namespace

std::string SystemMessage(std::uint32_t number) {
  wchar_t* raw = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, number, 0,
      reinterpret_cast<wchar_t*>(&raw), 0, nullptr);  // ALLOCATE_BUFFER takes the pointer's address
  const std::unique_ptr<wchar_t, LocalFreeDeleter> buffer(raw);
  if (length == 0 || !buffer) return {};
  std::wstring_view text(buffer.get(), length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.remove_suffix(1);
  }
  return ToUtf8(FromWide(text));
}

namespace {

RuntimeError WithSystemText(std::uint32_t number, const std::string& what) {
  const std::string message = SystemMessage(number);
  return RuntimeError(static_cast<std::int64_t>(number), message.empty() ? what : what + ": " + message);
}

}  // namespace

RuntimeError SystemFailure(std::uint32_t number, const std::string& what, ErrorCode whenNone) {
  return number == ERROR_SUCCESS ? RuntimeError(whenNone, what) : WithSystemText(number, what);
}

void ThrowLastError(const std::string& what) { throw WithSystemText(::GetLastError(), what); }

void ThrowLastError(const std::string& what, ErrorCode whenNone) {
  throw SystemFailure(::GetLastError(), what, whenNone);
}

}  // namespace kestro
