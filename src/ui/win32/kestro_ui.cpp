#include "ui/win32/kestro_ui.h"

#include <cmath>

#include "core/error.h"
#include "platform/windows/system_error.h"
#include "platform/windows/wide_text.h"
#include "platform/windows/window_audience.h"

namespace kestro {
namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPEDWINDOW;  // resizable, minimise, maximise, close
constexpr DWORD kText1Style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_MULTILINE | ES_AUTOHSCROLL |
                              ES_AUTOVSCROLL | WS_HSCROLL | WS_VSCROLL;
// The most a multi-line EDIT control holds; its default (32,767 characters)
// is less than a long report with its device list.
constexpr WPARAM kText1Limit = 0x7FFFFFFE;

// The screen's resolution, as twips are converted with it.
FormLayout ScreenLayout() {
  FormLayout layout;
  const HDC screen = ::GetDC(nullptr);
  if (screen == nullptr) return layout;  // 96 dpi, the usual resolution
  layout.pixelsPerInchX = static_cast<float>(::GetDeviceCaps(screen, LOGPIXELSX));
  layout.pixelsPerInchY = static_cast<float>(::GetDeviceCaps(screen, LOGPIXELSY));
  ::ReleaseDC(nullptr, screen);
  return layout;
}

// A failure of the window system; one that leaves no error code is the
// viewer's own (1003), not "error 0: Success".
[[noreturn]] void ThrowViewerFailure(const std::string& what) { ThrowLastError(what, ErrorCode::ViewerFailed); }

int Rounded(float value) { return static_cast<int>(std::lround(value)); }

}  // namespace

int FormLayout::ToPixelsX(float twips) const { return Rounded(twips * pixelsPerInchX / kTwipsPerInch); }
int FormLayout::ToPixelsY(float twips) const { return Rounded(twips * pixelsPerInchY / kTwipsPerInch); }
float FormLayout::ToTwipsX(int pixels) const { return static_cast<float>(pixels) * kTwipsPerInch / pixelsPerInchX; }
float FormLayout::ToTwipsY(int pixels) const { return static_cast<float>(pixels) * kTwipsPerInch / pixelsPerInchY; }

float FormLayout::Text1Width(float outerWidth) {
  const float width = outerWidth - kWidthMargin;
  return width < 0.0f ? 0.0f : width;
}

float FormLayout::Text1Height(float outerHeight) {
  const float height = outerHeight - kHeightMargin;
  return height < 0.0f ? 0.0f : height;
}

KestroUI::~KestroUI() {
  if (form_ != nullptr) ::DestroyWindow(form_);
  if (windowClass_ != 0) ::UnregisterClassW(kClassName, ::GetModuleHandleW(nullptr));
}

void KestroUI::ShowReportWindow(std::u16string_view reportText) {
  if (form_ == nullptr) Load();
  const std::wstring text = ToWide(reportText);
  if (!::SetWindowTextW(text1_, text.c_str())) ThrowViewerFailure("cannot put the report into the window");
  ::ShowWindow(form_, SW_SHOWDEFAULT);  // not modal: returns at once
  ::UpdateWindow(form_);
}

int KestroUI::RunUntilClosed() {
  MSG message;
  while (true) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return 0;  // WM_QUIT: the window was closed
    if (got == -1) ThrowViewerFailure("the window's message loop failed");
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

// Creates the form, hidden, with Text1 in it (Text1 is made in WM_CREATE, so
// that the size notification of the creation already finds it).
void KestroUI::Load() {
  layout_ = ScreenLayout();
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = &KestroUI::WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kClassName;
  windowClass_ = ::RegisterClassExW(&windowClass);
  if (windowClass_ == 0) ThrowViewerFailure("cannot register the window class KestroUI");

  RECT outer{0, 0, layout_.ToPixelsX(FormLayout::kClientWidth), layout_.ToPixelsY(FormLayout::kClientHeight)};
  if (!::AdjustWindowRectEx(&outer, kFormStyle, FALSE, 0)) ThrowViewerFailure("cannot size the window KestroUI");
  ::SetLastError(ERROR_SUCCESS);  // a failure that sets none must not show an older one
  form_ = ::CreateWindowExW(0, kClassName, kCaption, kFormStyle, CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
                            outer.bottom - outer.top, nullptr, nullptr, instance, this);
  if (form_ == nullptr) ThrowViewerFailure("cannot create the window KestroUI");
  if (text1_ == nullptr) ThrowViewerFailure("cannot create the text box of the window KestroUI");
}

void KestroUI::CreateText1() {
  text1_ =
      ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"Text1", kText1Style, layout_.ToPixelsX(FormLayout::kText1Left),
                        layout_.ToPixelsY(FormLayout::kText1Top), layout_.ToPixelsX(FormLayout::kText1InitialWidth),
                        layout_.ToPixelsY(FormLayout::kText1InitialHeight), form_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kText1Id)), ::GetModuleHandleW(nullptr),
                        nullptr);  // a child's menu handle carries its control id
  if (text1_ == nullptr) return;
  ::SendMessageW(text1_, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  ::SendMessageW(text1_, EM_SETLIMITTEXT, kText1Limit, 0);
}

// Text1 follows the window's outer size (frame and title bar included), in
// twips: 300 narrower and 800 lower; its left and top stay where they are.
void KestroUI::Form_Resize() {
  if (text1_ == nullptr) return;
  RECT outer;
  if (!::GetWindowRect(form_, &outer)) return;
  const float width = FormLayout::Text1Width(layout_.ToTwipsX(outer.right - outer.left));
  const float height = FormLayout::Text1Height(layout_.ToTwipsY(outer.bottom - outer.top));
  ::SetWindowPos(text1_, nullptr, 0, 0, layout_.ToPixelsX(width), layout_.ToPixelsY(height),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT KestroUI::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateText1();
      return text1_ == nullptr ? -1 : 0;
    case WM_SIZE:
      Form_Resize();
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);  // closing the form ends the process's message loop
      return 0;
    case WM_NCDESTROY:  // the window is gone: nothing is left to destroy
      ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      form_ = nullptr;
      text1_ = nullptr;
      break;
    default:
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK KestroUI::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<KestroUI*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->form_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<KestroUI*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  return form->Handle(window, message, wParam, lParam);
}

std::unique_ptr<ReportViewer> OpenReportViewer() {
  // A window nobody can see is never closed, and the run would never end.
  if (const auto reason = WhyNobodySeesThisProcessWindows()) {
    throw RuntimeError(ErrorCode::NoViewer,
                       "the window cannot be shown: there is no desktop to show it on (" + *reason + ")");
  }
  return std::make_unique<KestroUI>();
}

}  // namespace kestro
