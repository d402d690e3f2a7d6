#pragma once

#include <windows.h>

#include <string_view>

#include "ui/form_geometry.h"
#include "ui/viewer.h"

namespace kestro {

// The form KestroUI: a top-level window of that class, captioned
// "ZQ System Information", holding the multi-line text box Text1.
class KestroUI : public ReportViewer {
 public:
  KestroUI() = default;
  KestroUI(const KestroUI&) = delete;
  KestroUI& operator=(const KestroUI&) = delete;
  ~KestroUI() override;

  void ShowReportWindow(std::u16string_view reportText) override;
  int RunUntilClosed() override;

  static constexpr wchar_t kClassName[] = L"KestroUI";
  static constexpr wchar_t kCaption[] = L"ZQ System Information";
  static constexpr int kText1Id = 1;

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Load();
  void CreateText1();
  void Form_Resize();

  ScreenDpi dpi_;
  ATOM windowClass_ = 0;
  HWND form_ = nullptr;
  HWND text1_ = nullptr;
};

}  // namespace kestro
