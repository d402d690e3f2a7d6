// The viewer window under Qt's offscreen platform (QT_QPA_PLATFORM=offscreen),
// which puts a frame of 2 pixels around each window, so that the outer size
// differs from the client area as it does on a desktop.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "viewer_test_support.h"

namespace kestro::viewer_test {
namespace {

class ViewerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    viewer_ = OpenViewer();
    viewer_->ShowReportWindow(report_);
    form_ = FindForm();
    ASSERT_NE(form_, nullptr);
    text1_ = FindText1(form_);
    ASSERT_NE(text1_, nullptr);
    ASSERT_TRUE(WaitFor([this] { return form_->isVisible(); }));
  }

  // Resizes the window so that its outer size is `outer`, and waits for it.
  void ResizeOuter(QSize outer) {
    const QSize frame = form_->frameGeometry().size() - form_->size();
    form_->resize(outer - frame);
    ASSERT_TRUE(WaitFor([&] { return form_->frameGeometry().size() == outer; }))
        << "outer size stays " << form_->frameGeometry().width() << " x " << form_->frameGeometry().height();
    QCoreApplication::processEvents();
  }

  const std::u16string report_ = SnapshotReport();
  std::unique_ptr<ReportViewer> viewer_;
  QWidget* form_ = nullptr;
  QPlainTextEdit* text1_ = nullptr;
};

TEST_F(ViewerWindow, ShowsTheWholeReportUnderItsCaption) {
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("ZQ System Information"));
  EXPECT_TRUE(form_->isWindow());
  EXPECT_TRUE(text1_->isVisible());
  // Each CR LF starts a new line; nothing is lost or added.
  QString expected = QString::fromUtf16(report_.data(), static_cast<qsizetype>(report_.size()));
  expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  EXPECT_EQ(text1_->toPlainText(), expected);
  EXPECT_EQ(text1_->document()->blockCount(), 71);  // 70 lines and the empty one behind the last CR LF
  EXPECT_TRUE(text1_->toPlainText().startsWith(QStringLiteral("[BIOS Strings]\n")));
  EXPECT_TRUE(text1_->toPlainText().contains(QStringLiteral("SystemID=8A2B \u2013 Rev \u00C4\n")));
  // The top line is in view: nothing scrolled.
  EXPECT_EQ(text1_->verticalScrollBar()->value(), 0);
  EXPECT_EQ(text1_->horizontalScrollBar()->value(), 0);
  EXPECT_EQ(text1_->cursorForPosition(QPoint(0, 0)).block().text(), QStringLiteral("[BIOS Strings]"));
}

TEST_F(ViewerWindow, ScrollsBothWaysInsteadOfWrapping) {
  EXPECT_EQ(text1_->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(text1_->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(text1_->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_TRUE(text1_->horizontalScrollBar()->isVisible());
  EXPECT_TRUE(text1_->verticalScrollBar()->isVisible());
  // The long device lines and the many lines both need scrolling; each line
  // stays one line on screen.
  EXPECT_GT(text1_->horizontalScrollBar()->maximum(), 0);
  EXPECT_GT(text1_->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(text1_->document()->lineCount(), text1_->document()->blockCount());
}

TEST_F(ViewerWindow, OpensAtItsDesignedSizeWithText1FollowingTheFrame) {
  ASSERT_EQ(form_->screen()->logicalDotsPerInchY(), 96) << "the figures below are for 96 dpi";
  EXPECT_EQ(form_->size(), QSize(455, 359));  // 6825 x 5385 twips
  EXPECT_EQ(text1_->pos(), QPoint(8, 8));     // 120, 120 twips
  const QSize outer = form_->frameGeometry().size();
  ASSERT_EQ(outer, QSize(459, 363)) << "the offscreen platform's frame";
  // Form_Resize ran on the first display: 6585 x 4645 twips, not the designed 6615 x 5175.
  EXPECT_EQ(text1_->size(), QSize(439, 310));
}

TEST_F(ViewerWindow, Text1FollowsTheOuterSizeOnEveryResize) {
  // Outer sizes in pixels at 96 dpi and the box each leaves: 20 pixels
  // narrower and 53 1/3 lower, rounded, or nothing when that is below zero.
  struct Case {
    QSize outer;
    QSize text1;
  };
  const Case cases[] = {
      {{804, 604}, {784, 551}}, {{320, 854}, {300, 801}}, {{21, 54}, {1, 1}},    {{20, 53}, {0, 0}},
      {{5, 5}, {0, 0}},         {{500, 40}, {480, 0}},    {{15, 400}, {0, 347}}, {{1004, 704}, {984, 651}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.outer.width() << " x " << c.outer.height());
    ResizeOuter(c.outer);
    EXPECT_EQ(text1_->size(), c.text1);
    EXPECT_EQ(text1_->pos(), QPoint(8, 8));
  }
}

TEST_F(ViewerWindow, EditsStayInTheBox) {
  EXPECT_FALSE(text1_->isReadOnly());
  const std::u16string reportBefore = report_;
  text1_->setFocus();
  text1_->moveCursor(QTextCursor::Start);
  QTest::keyClicks(text1_, QStringLiteral("edited "));
  QTest::keyClick(text1_, Qt::Key_Delete);
  EXPECT_TRUE(text1_->toPlainText().startsWith(QStringLiteral("edited BIOS Strings]")));
  EXPECT_EQ(report_, reportBefore);
  // Nothing is saved anywhere: closing writes no file.
  const std::filesystem::path directory = std::filesystem::current_path();
  const auto entriesBefore = std::distance(std::filesystem::directory_iterator(directory), {});
  QTimer::singleShot(0, form_, &QWidget::close);
  EXPECT_EQ(viewer_->RunUntilClosed(), 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory), {}), entriesBefore);
  EXPECT_FALSE(std::filesystem::exists(directory / "Kestro.ini"));
}

TEST_F(ViewerWindow, ClosingTheWindowEndsTheLoop) {
  bool stillRunning = false;
  QTimer::singleShot(0, form_, &QWidget::close);
  QTimer::singleShot(3000, [&stillRunning] {  // only if closing did not end it
    stillRunning = true;
    QCoreApplication::exit(99);
  });
  EXPECT_EQ(viewer_->RunUntilClosed(), 0);
  EXPECT_FALSE(stillRunning);
  EXPECT_FALSE(form_->isVisible());
}

// A screen of 120 dpi without scaling, so that widgets are placed in pixels
// of 12 twips. The variables are read when the application is created.
class ViewerWindowAt120Dpi : public ViewerWindow {
 protected:
  void SetUp() override {
    ::setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    ::setenv("QT_FONT_DPI", "120", 1);
    ViewerWindow::SetUp();
  }
  void TearDown() override {
    viewer_.reset();
    ::unsetenv("QT_ENABLE_HIGHDPI_SCALING");
    ::unsetenv("QT_FONT_DPI");
  }
};

TEST_F(ViewerWindowAt120Dpi, TwipsFollowTheScreensDpi) {
  ASSERT_EQ(form_->screen()->logicalDotsPerInchX(), 120);
  EXPECT_EQ(form_->size(), QSize(569, 449));  // 568.75 x 448.75
  EXPECT_EQ(text1_->pos(), QPoint(10, 10));
  // 300 twips are 25 pixels, 800 are 66 2/3.
  EXPECT_EQ(text1_->size(), QSize(573 - 25, 453 - 67));
  ResizeOuter({604, 404});
  EXPECT_EQ(text1_->size(), QSize(579, 337));
}

// QT_QPA_PLATFORM is a list to try in order: a platform that is not
// installed is passed over, and the next one comes up with its options, here
// an offscreen screen of 1000 x 700 pixels.
class ViewerWindowOnTheSecondListedPlatform : public ViewerWindow {
 protected:
  void SetUp() override {
    std::ofstream(config_) << R"({"screens": [{"name": "S", "x": 0, "y": 0, "width": 1000, "height": 700,
                                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    ::setenv("QT_QPA_PLATFORM", ("bogus;offscreen:configfile=" + config_.string()).c_str(), 1);
    ViewerWindow::SetUp();
  }
  void TearDown() override { std::filesystem::remove(config_); }
  const std::filesystem::path config_ =
      std::filesystem::path(::testing::TempDir()) / ("offscreen-" + std::to_string(::getpid()) + ".json");
};

TEST_F(ViewerWindowOnTheSecondListedPlatform, OpensWithThatPlatformsOptions) {
  EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
  EXPECT_EQ(form_->screen()->size(), QSize(1000, 700));
}

}  // namespace
}  // namespace kestro::viewer_test
