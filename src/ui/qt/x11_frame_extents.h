#pragma once

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QMargins>
#include <functional>
#include <memory>
#include <optional>

namespace kestro {

// The window manager's frame around a top-level window on X11, as the
// manager publishes it in the window's _NET_FRAME_EXTENTS property. Qt keeps
// an account of the frame of its own, but does not renew it when the frame
// changes while the window keeps its size: maximised under openbox, the
// borders go and Qt still counts them.
class X11FrameExtents final : public QAbstractNativeEventFilter {
 public:
  using ChangeHandler = std::function<void(xcb_window_t window)>;

  // Watches the frames of this application's windows and calls `onChange`
  // with the window whose frame changed. Null when Qt does not run on X11.
  static std::unique_ptr<X11FrameExtents> ForThisApplication(ChangeHandler onChange);

  // The frame around `window` in the X server's pixels; nothing when no
  // window manager has published one.
  std::optional<QMargins> Read(xcb_window_t window) const;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  X11FrameExtents(xcb_connection_t* connection, xcb_atom_t property, ChangeHandler onChange);

 private:
  xcb_connection_t* connection_;  // Qt's, which outlives the application's windows
  xcb_atom_t property_;
  ChangeHandler onChange_;
};

}  // namespace kestro
