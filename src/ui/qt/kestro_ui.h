#pragma once

#include <QPlainTextEdit>
#include <QSize>
#include <QWidget>
#include <memory>

#include "ui/form_geometry.h"
#include "ui/qt/x11_frame_extents.h"

namespace kestro {

// The viewer form: a resizable top-level window captioned "ZQ System
// Information" whose one control, the text box Text1, shows the report and
// follows the window's size. Laid out in twips; see ui/form_geometry.h.
class KestroUI final : public QWidget {
 public:
  KestroUI();

  QPlainTextEdit& Text1() { return text1_; }

  // Makes Text1 300 twips narrower and 800 twips lower than the window's
  // outer size, frame and title bar included; zero when the window is
  // smaller than that. Its left and top stay where they are.
  void Form_Resize();

  // The whole window with the window system's frame and title bar.
  QSize OuterSize() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  ScreenDpi Dpi() const;
  // Runs Form_Resize when the outer size has changed without a resize of
  // the client area: the frame came, went or changed.
  void FollowFrame();

  QPlainTextEdit text1_;
  std::unique_ptr<X11FrameExtents> x11Frames_;  // on X11 only
  QSize outerSizeFollowed_;                     // the outer size Form_Resize last followed
};

}  // namespace kestro
