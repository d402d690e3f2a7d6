#include "ui/qt/x11_frame_extents.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

namespace kestro {
namespace {

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, FreeReply>;

constexpr char kFrameExtents[] = "_NET_FRAME_EXTENTS";

}  // namespace

std::unique_ptr<X11FrameExtents> X11FrameExtents::ForThisApplication(ChangeHandler onChange) {
  const auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (x11 == nullptr || x11->connection() == nullptr) return nullptr;
  xcb_connection_t* const connection = x11->connection();
  const ReplyPointer<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(kFrameExtents)), kFrameExtents),
      nullptr));
  if (!atom) return nullptr;
  auto extents = std::make_unique<X11FrameExtents>(connection, atom->atom, std::move(onChange));
  QCoreApplication::instance()->installNativeEventFilter(extents.get());
  return extents;
}

X11FrameExtents::X11FrameExtents(xcb_connection_t* connection, xcb_atom_t property, ChangeHandler onChange)
    : connection_(connection), property_(property), onChange_(std::move(onChange)) {}

std::optional<QMargins> X11FrameExtents::Read(xcb_window_t window) const {
  // Four CARDINALs: left, right, top, bottom.
  const ReplyPointer<xcb_get_property_reply_t> reply(xcb_get_property_reply(
      connection_, xcb_get_property(connection_, 0, window, property_, XCB_ATOM_CARDINAL, 0, 4), nullptr));
  if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 4 * 4) return std::nullopt;
  const auto* value = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
  const auto extent = [value](int index) { return static_cast<int>(value[index]); };
  return QMargins(extent(0), extent(2), extent(1), extent(3));
}

bool X11FrameExtents::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY) return false;
  const auto* notify = static_cast<const xcb_property_notify_event_t*>(message);
  if (notify->atom == property_) onChange_(notify->window);
  return false;  // Qt still sees every event
}

}  // namespace kestro
