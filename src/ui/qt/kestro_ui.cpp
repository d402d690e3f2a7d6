#include "ui/qt/kestro_ui.h"

#include <QScreen>
#include <cmath>

namespace kestro {
namespace {

QSize ToQSize(PixelSize size) { return {size.width, size.height}; }

// The frame in the X server's pixels, in Qt's (which differ by the screen's
// scale factor).
QMargins ToWidgetPixels(QMargins margins, double devicePixelRatio) {
  const auto scaled = [devicePixelRatio](int pixels) {
    return static_cast<int>(std::lround(pixels / devicePixelRatio));
  };
  return {scaled(margins.left()), scaled(margins.top()), scaled(margins.right()), scaled(margins.bottom())};
}

}  // namespace

KestroUI::KestroUI()
    : text1_(this), x11Frames_(X11FrameExtents::ForThisApplication([this](xcb_window_t window) {
        if (window == internalWinId()) QMetaObject::invokeMethod(this, &KestroUI::FollowFrame, Qt::QueuedConnection);
      })) {
  setObjectName(QStringLiteral("KestroUI"));
  setWindowTitle(QStringLiteral("ZQ System Information"));

  text1_.setObjectName(QStringLiteral("Text1"));
  text1_.setLineWrapMode(QPlainTextEdit::NoWrap);
  text1_.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text1_.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text1_.setPlainText(QStringLiteral("Text1"));

  const ScreenDpi dpi = Dpi();
  resize(ToQSize(TwipsToPixels(kInitialClientArea, dpi)));
  const PixelPoint text1Position = TwipsToPixels(kText1Position, dpi);
  text1_.setGeometry(QRect(QPoint(text1Position.x, text1Position.y), ToQSize(TwipsToPixels(kInitialText1Size, dpi))));
}

void KestroUI::Form_Resize() {
  const ScreenDpi dpi = Dpi();
  outerSizeFollowed_ = OuterSize();
  const TwipsSize outer = PixelsToTwips({outerSizeFollowed_.width(), outerSizeFollowed_.height()}, dpi);
  text1_.resize(ToQSize(TwipsToPixels(Text1SizeForOuterSize(outer), dpi)));
}

QSize KestroUI::OuterSize() const {
  if (x11Frames_ && internalWinId() != 0) {
    if (const std::optional<QMargins> frame = x11Frames_->Read(static_cast<xcb_window_t>(internalWinId()))) {
      return size().grownBy(ToWidgetPixels(*frame, devicePixelRatioF()));
    }
  }
  return frameGeometry().size();
}

void KestroUI::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Form_Resize();
}

void KestroUI::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void KestroUI::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  // Where the frame is known only from Qt, a window manager that puts its
  // frame around the window after it is first shown moves the window into
  // the frame, and this is the only news of it.
  FollowFrame();
}

void KestroUI::FollowFrame() {
  if (OuterSize() != outerSizeFollowed_) Form_Resize();
}

ScreenDpi KestroUI::Dpi() const {
  // Logical dots per inch: pixels per inch in the coordinates widgets are
  // placed in, with the screen's scale factor already taken out.
  const QScreen* const screen = this->screen();
  if (screen == nullptr) return {};
  return {static_cast<float>(screen->logicalDotsPerInchX()), static_cast<float>(screen->logicalDotsPerInchY())};
}

}  // namespace kestro
