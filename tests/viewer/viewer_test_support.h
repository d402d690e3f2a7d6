#pragma once

// Opens the real Qt viewer in the test's process, as kestro-viewer does for
// "/SHOWDIALOG", and finds its window among the application's widgets for the tests to look at.
#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QWidget>
#include <cmath>
#include <memory>
#include <string>

#include "core/windows1252.h"
#include "run/run.h"
#include "platform/snapshot_file.h"
#include "ui/qt/qt_viewer.h"

namespace kestro::viewer_test {

inline std::unique_ptr<ReportViewer> OpenViewer() { return OpenQtReportViewer(); }

// The report of the test snapshot with every section: 70 lines, some of
// them wider than the window.
inline std::u16string SnapshotReport() {
  SnapshotSource source = LoadSnapshot(KESTRO_TEST_SOURCE_DIR "/viewer_snapshot.json");
  return BuildReport(Switches{.pnp = true, .type1 = true, .showDialog = true}, source, kWindows1252);
}

inline QWidget* FindForm() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QLatin1String("KestroUI")) return widget;
  }
  return nullptr;
}

inline QPlainTextEdit* FindText1(QWidget* form) {
  return form != nullptr ? form->findChild<QPlainTextEdit*>(QStringLiteral("Text1")) : nullptr;
}

// Text1's size for a window of `outer` pixels, worked out in pixels: the
// window less 300 twips across and 800 down at `twipsPerPixel`, to the
// nearest pixel, and nothing below zero.
inline QSize ExpectedText1Size(QSize outer, double twipsPerPixel) {
  const auto pixels = [twipsPerPixel](int outerPixels, double marginTwips) {
    return std::max(0L, std::lround(outerPixels - marginTwips / twipsPerPixel));
  };
  return {static_cast<int>(pixels(outer.width(), 300)), static_cast<int>(pixels(outer.height(), 800))};
}

inline bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000) {
  return QTest::qWaitFor(condition, milliseconds);
}

}  // namespace kestro::viewer_test
