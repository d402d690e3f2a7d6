// win-probe.exe: looks at and moves the windows of other programs for the
// Windows test scripts; a test helper, not part of Kestro. Output is one
// "key=value" line per fact, in UTF-8.
//
//   win-probe.exe dialog TITLE TIMEOUT_MS   a message box titled TITLE: its
//                                           texts and the screen centre of
//                                           each button
//   win-probe.exe viewer TEXTFILE           the KestroUI window and its EDIT
//                                           control; the control's text is
//                                           written to TEXTFILE (UTF-8)
//   win-probe.exe resize WIDTH HEIGHT       gives KestroUI that outer size
//   win-probe.exe show maximize|minimize|restore
//   win-probe.exe close                     asks KestroUI to close
//
// Exit status 0, 1 when the window is not there, 2 for a bad command line.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "platform/console.h"
#include "core/text.h"
#include "platform/windows/wide_text.h"

namespace {

void Say(const std::string& key, const std::string& value) { kestro::PrintInformation(key + "=" + value + "\n"); }

std::string Utf8(const std::wstring& text) { return kestro::ToUtf8(kestro::FromWide(text)); }

std::wstring TextOf(HWND window) {
  // WM_GETTEXT reaches into another process's controls, as GetWindowText does not.
  const auto length = static_cast<std::size_t>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  const auto got =
      static_cast<std::size_t>(::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  text.resize(got);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  ::GetClassNameW(window, name, 256);
  return name;
}

std::string RectText(const RECT& rect) {
  return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + std::to_string(rect.right - rect.left) +
         " " + std::to_string(rect.bottom - rect.top);
}

std::string Hex(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", value);
  return text;
}

HWND FindViewer() { return ::FindWindowW(L"KestroUI", nullptr); }

int Dialog(const std::wstring& title, DWORD timeout) {
  HWND box = nullptr;
  for (DWORD waited = 0; (box = ::FindWindowW(L"#32770", title.c_str())) == nullptr && waited < timeout;
       waited += 100) {
    ::Sleep(100);
  }
  if (box == nullptr) return 1;
  Say("title", Utf8(TextOf(box)));
  ::EnumChildWindows(
      box,
      [](HWND child, LPARAM) -> BOOL {
        const std::wstring className = ClassOf(child);
        const std::wstring text = TextOf(child);
        if (_wcsicmp(className.c_str(), L"Static") == 0 && !text.empty()) Say("text", Utf8(text));
        if (_wcsicmp(className.c_str(), L"Button") == 0) {
          RECT rect;
          ::GetWindowRect(child, &rect);
          Say("button", Utf8(text) + " " + std::to_string((rect.left + rect.right) / 2) + " " +
                            std::to_string((rect.top + rect.bottom) / 2));
        }
        return TRUE;
      },
      0);
  return 0;
}

int Viewer(const std::wstring& textFile) {
  const HWND form = FindViewer();
  if (form == nullptr) return 1;
  const HWND text1 = ::GetDlgItem(form, 1);
  const HDC screen = ::GetDC(nullptr);
  Say("dpi",
      std::to_string(::GetDeviceCaps(screen, LOGPIXELSX)) + " " + std::to_string(::GetDeviceCaps(screen, LOGPIXELSY)));
  ::ReleaseDC(nullptr, screen);
  Say("class", Utf8(ClassOf(form)));
  Say("caption", Utf8(TextOf(form)));
  Say("visible", ::IsWindowVisible(form) ? "1" : "0");
  Say("form_style", Hex(static_cast<unsigned long>(::GetWindowLongPtrW(form, GWL_STYLE))));
  RECT outer;
  ::GetWindowRect(form, &outer);
  Say("outer", RectText(outer));
  RECT client;
  ::GetClientRect(form, &client);
  Say("client", RectText(client));
  if (text1 == nullptr) return 0;
  Say("edit_class", Utf8(ClassOf(text1)));
  Say("edit_style", Hex(static_cast<unsigned long>(::GetWindowLongPtrW(text1, GWL_STYLE))));
  Say("edit_limit", std::to_string(::SendMessageW(text1, EM_GETLIMITTEXT, 0, 0)));
  RECT edit;
  ::GetWindowRect(text1, &edit);
  ::MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&edit), 2);  // to client coordinates
  Say("edit", RectText(edit));
  const std::string text = Utf8(TextOf(text1));
  Say("edit_text_bytes", std::to_string(text.size()));
  FILE* file = _wfopen(textFile.c_str(), L"wb");
  if (file == nullptr) return 2;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"dialog" && argc == 4) return Dialog(argv[2], static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
  if (command == L"viewer" && argc == 3) return Viewer(argv[2]);
  const HWND form = FindViewer();
  if (command == L"resize" && argc == 4) {
    if (form == nullptr) return 1;
    ::SetWindowPos(form, nullptr, 0, 0, _wtoi(argv[2]), _wtoi(argv[3]), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  if (command == L"show" && argc == 3) {
    if (form == nullptr) return 1;
    const std::wstring how = argv[2];
    ::ShowWindow(form, how == L"maximize" ? SW_MAXIMIZE : how == L"minimize" ? SW_MINIMIZE : SW_RESTORE);
    return 0;
  }
  if (command == L"close" && argc == 2) {
    if (form == nullptr) return 1;
    ::PostMessageW(form, WM_CLOSE, 0, 0);
    return 0;
  }
  return 2;
}
