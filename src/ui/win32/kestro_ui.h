#pragma once

#include <windows.h>

#include <string_view>

#include "ui/viewer.h"

namespace kestro {

// Sizes of the form and its text box in twips (1/1440 inch), turned into
// pixels by the screen's real resolution.
struct FormLayout {
  float pixelsPerInchX = 96.0f;
  float pixelsPerInchY = 96.0f;

  static constexpr float kTwipsPerInch = 1440.0f;
  // The form's client area and the text box's place in it, as the form was
  // designed.
  static constexpr float kClientWidth = 6825.0f;
  static constexpr float kClientHeight = 5385.0f;
  static constexpr float kText1Left = 120.0f;
  static constexpr float kText1Top = 120.0f;
  static constexpr float kText1InitialWidth = 6615.0f;
  static constexpr float kText1InitialHeight = 5175.0f;
  // What Form_Resize keeps free of the window's outer size.
  static constexpr float kWidthMargin = 300.0f;
  static constexpr float kHeightMargin = 800.0f;

  int ToPixelsX(float twips) const;
  int ToPixelsY(float twips) const;
  float ToTwipsX(int pixels) const;
  float ToTwipsY(int pixels) const;

  // Text1's size in twips for a window of outer size `outerWidth` by
  // `outerHeight` twips: 300 narrower and 800 lower, and 0 where that would
  // be negative (a minimised or very small window).
  static float Text1Width(float outerWidth);
  static float Text1Height(float outerHeight);
};

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

  FormLayout layout_;
  ATOM windowClass_ = 0;
  HWND form_ = nullptr;
  HWND text1_ = nullptr;
};

}  // namespace kestro
