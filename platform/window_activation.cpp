// SPDX-License-Identifier: GPL-3.0-or-later
// While a capture hides our windows, the window manager activates another program's window.
// Qt asks an X11 window manager for the activation of a window shown again as an application
// does, with the time of the last input it saw: the click that began the capture. KWin's
// focus-stealing prevention weighs that against the time the other window was activated,
// which is later, keeps the other window in front (a full-screen one over everything) and
// only marks ours as asking for attention. The capture is the user's own doing, so here the
// window asks as a pager or task bar does for a window the user picked, which window managers
// grant; it asks once the window manager has mapped the window, as it ignores a request for a
// window it does not manage yet. On Wayland a compositor activates a toplevel mapped anew (KWin
// and sway do), and Qt 6.4 has no means to ask for more.
#include "platform/window_activation.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#ifdef HUESIFT_X11_ACTIVATION
#include <xcb/xcb.h>

#include <cstring>
#endif

namespace huesift {
namespace {

#ifdef HUESIFT_X11_ACTIVATION
// How long the window manager may take to map the window before the request is dropped.
constexpr int kMapTimeoutMs = 5000;

void AskAsPager(xcb_connection_t* connection, xcb_window_t window) {
  static const char kName[] = "_NET_ACTIVE_WINDOW";
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, std::strlen(kName), kName), nullptr);
  if (!atom) return;
  xcb_client_message_event_t event;
  std::memset(&event, 0, sizeof event);
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = atom->atom;
  event.data.data32[0] = 2;  // the request comes from a pager: the user's choice
  event.data.data32[1] = XCB_CURRENT_TIME;
  std::free(atom);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  xcb_send_event(connection, 0, root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(connection);
}

// Asks once the window is exposed, that is mapped by the window manager.
class WhenExposed : public QObject {
 public:
  WhenExposed(QWindow* window, xcb_connection_t* connection)
      : QObject(window), window_(window), connection_(connection) {
    window->installEventFilter(this);
    QTimer::singleShot(kMapTimeoutMs, this, &QObject::deleteLater);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::Expose && window_->isExposed()) {
      AskAsPager(connection_, static_cast<xcb_window_t>(window_->winId()));
      deleteLater();
    }
    return false;
  }

 private:
  QPointer<QWindow> window_;
  xcb_connection_t* connection_;
};
#endif

}  // namespace

void BringToFront(QWidget* widget) {
  widget->raise();
  widget->activateWindow();
#ifdef HUESIFT_X11_ACTIVATION
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  QWindow* window = widget->windowHandle();
  if (!x11 || !x11->connection() || !window) return;
  if (window->isExposed())
    AskAsPager(x11->connection(), static_cast<xcb_window_t>(window->winId()));
  else
    new WhenExposed(window, x11->connection());
#endif
}

}  // namespace huesift
