// The viewer window on a real X server with a window manager (Xvfb and
// openbox, set up by with_x11_desktop.sh): Text1 follows the outer size of
// the window as the X server has it, frame and title bar included.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "viewer_test_support.h"

namespace kestro::viewer_test {
namespace {

struct XcbDisconnect {
  void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, FreeReply>;

// The outer size of the top-level window that holds `window`, read from the
// X server on a connection of our own: the window manager's frame once it
// has put one around the window.
class X11Frames {
 public:
  X11Frames() : connection_(xcb_connect(nullptr, nullptr)) {}
  bool connected() const { return xcb_connection_has_error(connection_.get()) == 0; }

  QSize OuterSize(xcb_window_t window) const {
    const xcb_window_t top = TopLevelAncestor(window);
    const ReplyPointer<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_.get(), xcb_get_geometry(connection_.get(), top), nullptr));
    if (!geometry) return {};
    return {geometry->width + 2 * geometry->border_width, geometry->height + 2 * geometry->border_width};
  }

  bool IsFramed(xcb_window_t window) const { return TopLevelAncestor(window) != window; }

 private:
  xcb_window_t TopLevelAncestor(xcb_window_t window) const {
    for (;;) {
      const ReplyPointer<xcb_query_tree_reply_t> tree(
          xcb_query_tree_reply(connection_.get(), xcb_query_tree(connection_.get(), window), nullptr));
      if (!tree || tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE) return window;
      window = tree->parent;
    }
  }

  std::unique_ptr<xcb_connection_t, XcbDisconnect> connection_;
};

class X11Window : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(frames_.connected()) << "no X server at DISPLAY; run under with_x11_desktop.sh";
    viewer_ = OpenViewer();
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    viewer_->ShowReportWindow(SnapshotReport());
    form_ = FindForm();
    ASSERT_NE(form_, nullptr);
    text1_ = FindText1(form_);
    ASSERT_NE(text1_, nullptr);
    twipsPerPixel_ = 1440.0 / form_->screen()->logicalDotsPerInchY();
  }

  xcb_window_t Window() const { return static_cast<xcb_window_t>(form_->winId()); }

  // Waits until Text1 follows the frame the X server has, and says how it
  // stands: a failure shows the sizes involved.
  ::testing::AssertionResult Text1FollowsTheRealFrame() {
    const auto follows = [this] {
      return frames_.IsFramed(Window()) &&
             text1_->size() == ExpectedText1Size(frames_.OuterSize(Window()), twipsPerPixel_);
    };
    WaitFor(follows);
    QTest::qWait(200);  // and stays so: no late event moves it away
    const QSize outer = frames_.OuterSize(Window());
    if (follows()) return ::testing::AssertionSuccess() << "outer " << outer.width() << " x " << outer.height();
    const QSize expected = ExpectedText1Size(outer, twipsPerPixel_);
    return ::testing::AssertionFailure() << "framed " << frames_.IsFramed(Window()) << ", X server's outer size "
                                         << outer.width() << " x " << outer.height() << ", Qt's "
                                         << form_->frameGeometry().width() << " x " << form_->frameGeometry().height()
                                         << ", Text1 " << text1_->width() << " x " << text1_->height() << ", expected "
                                         << expected.width() << " x " << expected.height();
  }

  X11Frames frames_;
  std::unique_ptr<ReportViewer> viewer_;
  QWidget* form_ = nullptr;
  QPlainTextEdit* text1_ = nullptr;
  double twipsPerPixel_ = 15;
};

TEST_F(X11Window, Text1FollowsTheWindowManagersFrameUntilClosed) {
  // First display: the frame arrives after the window is shown, and the box
  // follows it, so it starts lower than the designed 5175 twips.
  ASSERT_TRUE(Text1FollowsTheRealFrame());
  EXPECT_NE(frames_.OuterSize(Window()), form_->size()) << "the window manager put no frame around the window";
  EXPECT_LT(text1_->height() * twipsPerPixel_, 5175);
  EXPECT_EQ(text1_->pos(), QPoint(qRound(120 / twipsPerPixel_), qRound(120 / twipsPerPixel_)));

  const std::filesystem::path screenshot = KESTRO_TEST_ARTEFACT_DIR "/viewer-x11-window.png";
  std::filesystem::remove(screenshot);
  QTest::qWait(300);  // painted
  const std::string import = "import -window root '" + screenshot.string() + "'";
  EXPECT_EQ(std::system(import.c_str()), 0);
  EXPECT_GT(std::filesystem::exists(screenshot) ? std::filesystem::file_size(screenshot) : 0, 1000u);

  // Resized through the window manager: larger, very small, maximised.
  for (const QSize client : {QSize(700, 520), QSize(30, 20), QSize(2, 2)}) {
    SCOPED_TRACE(testing::Message() << "client asked " << client.width() << " x " << client.height());
    const QSize outerBefore = frames_.OuterSize(Window());
    form_->resize(client);
    WaitFor([&] { return frames_.OuterSize(Window()) != outerBefore; }, 2000);  // the manager may refuse a size
    EXPECT_TRUE(Text1FollowsTheRealFrame());
  }
  form_->showMaximized();
  ASSERT_TRUE(WaitFor([this] { return form_->isMaximized(); }));
  EXPECT_TRUE(Text1FollowsTheRealFrame());
  EXPECT_GT(text1_->width(), 900);

  // Closed as a user does, through the window manager (Alt+F4 in openbox),
  // and pressed again every two seconds as a user would: on a busy machine a
  // key pressed while the focus is still settling can go astray.
  std::ostringstream command;
  command << "xdotool windowactivate --sync " << form_->winId() << " key --clearmodifiers alt+F4";
  const std::string pressAltF4 = command.str();
  QTimer::singleShot(0, [&pressAltF4] { EXPECT_EQ(std::system(pressAltF4.c_str()), 0); });
  QTimer pressAgain;
  QObject::connect(&pressAgain, &QTimer::timeout, [&pressAltF4] { (void)std::system(pressAltF4.c_str()); });
  pressAgain.start(2000);
  bool closedByTimeout = false;
  QTimer::singleShot(15000, [&closedByTimeout] {
    closedByTimeout = true;
    QCoreApplication::exit(99);
  });
  EXPECT_EQ(viewer_->RunUntilClosed(), 0);
  EXPECT_FALSE(closedByTimeout);
}

}  // namespace
}  // namespace kestro::viewer_test
