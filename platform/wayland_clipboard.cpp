// SPDX-License-Identifier: GPL-3.0-or-later
// The selection through wl_data_device on a private event queue of Qt's own connection.
// Our objects' events are read from the socket by Qt along with its own and wait in our queue
// until we dispatch it: whenever the event loop wakes (Qt wakes it for every read), and before
// anything is asked of the selection.
#include "platform/wayland_clipboard.h"

#ifdef HUESIFT_WAYLAND_CLIPBOARD
#include <fcntl.h>
#include <qpa/qplatformnativeinterface.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <map>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "files/file_access.h"
#include "files/picture_file_io.h"
#include "platform/clipboard_reader.h"

namespace huesift {

namespace {

constexpr char kPng[] = "image/png";
// Until a read has waited this long, the window does not show it: most pictures are in
// before a change would even be painted.
constexpr int kShowReadAfterMs = 100;
constexpr qsizetype kChunk = 64 * 1024;

// One reader of our selection, fed from the event loop as fast as it takes the bytes.
struct Writer {
  int fd = -1;
  QByteArray bytes;  // shares the copied PNG's memory
  qsizetype written = 0;
  QSocketNotifier* notifier = nullptr;
};

// Writes what the pipe takes now; true when the writer is done, whether all went or the
// reader has gone (EPIPE: SIGPIPE is ignored, see create()).
bool WriteSome(Writer& w) {
  while (w.written < w.bytes.size()) {
    const ssize_t n = ::write(w.fd, w.bytes.constData() + w.written,
                              std::min(kChunk, w.bytes.size() - w.written));
    if (n > 0) {
      w.written += n;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return !(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
    }
  }
  return true;
}

}  // namespace

struct WaylandClipboard::Connection {
  WaylandClipboard* owner = nullptr;
  wl_display* display = nullptr;
  wl_event_queue* queue = nullptr;
  wl_display* displayOnQueue = nullptr;  // the wrapper through which our globals are bound
  wl_registry* registry = nullptr;
  wl_data_device_manager* manager = nullptr;
  uint32_t managerVersion = 0;
  wl_data_device* device = nullptr;

  // Offers the compositor has introduced, with the formats each offers.
  std::map<wl_data_offer*, QStringList> offers;
  wl_data_offer* selection = nullptr;
  wl_data_offer* dragged = nullptr;  // a drag over the window; Qt's own offer takes its drop

  // What we copied, while it is the selection.
  wl_data_source* source = nullptr;
  QByteArray png;
  std::vector<Writer*> writers;

  QEventLoop* reading = nullptr;
  bool abandoned = false;

  // A broken connection is Qt's to report; ours then has nothing more to dispatch.
  void dispatch() { wl_display_dispatch_queue_pending(display, queue); }

  void forget(wl_data_offer* offer) {
    if (!offer) return;
    offers.erase(offer);
    wl_data_offer_destroy(offer);
  }

  void finish(Writer* w) {
    std::erase(writers, w);
    if (w->notifier) {
      w->notifier->setEnabled(false);
      w->notifier->deleteLater();
    }
    ::close(w->fd);
    delete w;
  }

  void dropSource() {
    if (!source) return;
    wl_data_source_destroy(std::exchange(source, nullptr));
    png.clear();
    // A reader still being fed gets no more: what it has is not a whole picture, and a reader
    // that stopped reading would otherwise hold the picture for as long as it lives.
    while (!writers.empty()) finish(writers.back());
  }

  void serve(int fd) {
    auto* w = new Writer{.fd = fd, .bytes = png};
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    writers.push_back(w);
    if (WriteSome(*w)) return finish(w);
    w->notifier = new QSocketNotifier(fd, QSocketNotifier::Write, owner);
    QObject::connect(w->notifier, &QSocketNotifier::activated, owner, [this, w] {
      if (WriteSome(*w)) finish(w);
    });
  }

  // The serial of the user's last input to the window, as Qt's seat saw it: the compositor
  // asks it of whoever sets the selection.
  static uint32_t serial() {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    return native ? static_cast<uint32_t>(
                        reinterpret_cast<quintptr>(native->nativeResourceForIntegration("serial")))
                  : 0;
  }
};

namespace {

using Connection = WaylandClipboard::Connection;

const wl_data_offer_listener kOfferListener = {
    .offer =
        [](void* data, wl_data_offer* offer, const char* mimeType) {
          auto* c = static_cast<Connection*>(data);
          if (auto it = c->offers.find(offer); it != c->offers.end())
            it->second << QString::fromUtf8(mimeType);
        },
    .source_actions = [](void*, wl_data_offer*, uint32_t) {},
    .action = [](void*, wl_data_offer*, uint32_t) {},
};

const wl_data_device_listener kDeviceListener = {
    .data_offer =
        [](void* data, wl_data_device*, wl_data_offer* offer) {
          auto* c = static_cast<Connection*>(data);
          c->offers[offer];
          wl_data_offer_add_listener(offer, &kOfferListener, c);
        },
    .enter =
        [](void* data, wl_data_device*, uint32_t, wl_surface*, wl_fixed_t, wl_fixed_t,
           wl_data_offer* offer) {
          auto* c = static_cast<Connection*>(data);
          c->forget(std::exchange(c->dragged, offer));
        },
    .leave =
        [](void* data, wl_data_device*) {
          auto* c = static_cast<Connection*>(data);
          c->forget(std::exchange(c->dragged, nullptr));
        },
    .motion = [](void*, wl_data_device*, uint32_t, wl_fixed_t, wl_fixed_t) {},
    .drop = [](void*, wl_data_device*) {},
    .selection =
        [](void* data, wl_data_device*, wl_data_offer* offer) {
          auto* c = static_cast<Connection*>(data);
          if (c->selection != offer) c->forget(std::exchange(c->selection, offer));
        },
};

const wl_data_source_listener kSourceListener = {
    .target = [](void*, wl_data_source*, const char*) {},
    .send =
        [](void* data, wl_data_source* source, const char* mimeType, int32_t fd) {
          auto* c = static_cast<Connection*>(data);
          if (source == c->source && std::string_view(mimeType) == kPng)
            c->serve(fd);
          else
            ::close(fd);
        },
    .cancelled =
        [](void* data, wl_data_source* source) {
          // Another program's selection replaced ours.
          auto* c = static_cast<Connection*>(data);
          if (source == c->source)
            c->dropSource();
          else
            wl_data_source_destroy(source);
        },
    .dnd_drop_performed = [](void*, wl_data_source*) {},
    .dnd_finished = [](void*, wl_data_source*) {},
    .action = [](void*, wl_data_source*, uint32_t) {},
};

const wl_registry_listener kRegistryListener = {
    .global =
        [](void* data, wl_registry* registry, uint32_t name, const char* interface,
           uint32_t version) {
          auto* c = static_cast<Connection*>(data);
          if (std::string_view(interface) != wl_data_device_manager_interface.name || c->manager)
            return;
          c->managerVersion = std::min(version, 3u);
          c->manager = static_cast<wl_data_device_manager*>(wl_registry_bind(
              registry, name, &wl_data_device_manager_interface, c->managerVersion));
        },
    .global_remove = [](void*, wl_registry*, uint32_t) {},
};

}  // namespace

std::unique_ptr<WaylandClipboard> WaylandClipboard::create() {
  if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return nullptr;
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  if (!native) return nullptr;
  auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
  auto* seat = static_cast<wl_seat*>(native->nativeResourceForIntegration("wl_seat"));
  if (!display || !seat) return nullptr;

  std::unique_ptr<WaylandClipboard> clipboard(new WaylandClipboard);
  clipboard->c_ = std::make_unique<Connection>();
  Connection& c = *clipboard->c_;
  c.owner = clipboard.get();
  c.display = display;
  c.queue = wl_display_create_queue(display);
  c.displayOnQueue = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(c.displayOnQueue), c.queue);
  c.registry = wl_display_get_registry(c.displayOnQueue);
  wl_registry_add_listener(c.registry, &kRegistryListener, &c);
  wl_display_roundtrip_queue(display, c.queue);
  // The destructor releases what was made.
  if (!c.manager) return nullptr;
  // Made from our manager, the device is on our queue; the seat is Qt's own.
  c.device = wl_data_device_manager_get_data_device(c.manager, seat);
  wl_data_device_add_listener(c.device, &kDeviceListener, &c);
  wl_display_flush(display);

  // A reader that goes away before it has read everything must cost a failed write, not the
  // program.
  std::signal(SIGPIPE, SIG_IGN);
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
    QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, clipboard.get(),
                     [&c] { c.dispatch(); });
  return clipboard;
}

WaylandClipboard::~WaylandClipboard() {
  if (!c_) return;
  Connection& c = *c_;
  c.dropSource();
  c.forget(c.selection);
  c.forget(c.dragged);
  for (auto& [offer, types] : c.offers) wl_data_offer_destroy(offer);
  if (c.device) {
    if (c.managerVersion >= 2)
      wl_data_device_release(c.device);
    else
      wl_data_device_destroy(c.device);
  }
  if (c.manager) wl_data_device_manager_destroy(c.manager);
  if (c.registry) wl_registry_destroy(c.registry);
  if (c.displayOnQueue) wl_proxy_wrapper_destroy(c.displayOnQueue);
  wl_display_flush(c.display);
  if (c.queue) wl_event_queue_destroy(c.queue);
}

std::optional<EncodedImage> WaylandClipboard::read(const ClipboardWait& wait, int ownerTimeoutMs,
                                                   int totalMs) {
  Connection& c = *c_;
  c.dispatch();
  // Our own picture is the selection: the bytes are here already.
  if (c.source) return EncodedImage{QString::fromLatin1(kPng), c.png};
  if (!c.selection) return std::nullopt;
  const QString format = BestImageFormat(c.offers[c.selection]);
  if (format.isEmpty()) return std::nullopt;

  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error(CannotOpenMessage());
  wl_data_offer_receive(c.selection, format.toUtf8().constData(), fds[1]);
  wl_display_flush(c.display);
  ::close(fds[1]);  // the owner has its own copy; ours would keep the pipe from ending
  const int fd = fds[0];

  QByteArray bytes;
  bool ended = false;
  bool failed = false;
  bool tooLarge = false;
  bool silent = false;
  bool tooSlow = false;
  QEventLoop loop;
  QSocketNotifier notifier(fd, QSocketNotifier::Read);
  // The owner must start within ownerTimeoutMs and never stop for as long; a picture that
  // keeps coming is waited for up to totalMs.
  QTimer silence;
  silence.setSingleShot(true);
  QObject::connect(&silence, &QTimer::timeout, &loop, [&] {
    silent = true;
    loop.quit();
  });
  QTimer total;
  total.setSingleShot(true);
  QObject::connect(&total, &QTimer::timeout, &loop, [&] {
    tooSlow = true;
    loop.quit();
  });
  QTimer shown;
  shown.setSingleShot(true);
  QObject::connect(&shown, &QTimer::timeout, &loop, [&] {
    if (wait.underWay) wait.underWay();
  });
  QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
    const qsizetype had = bytes.size();
    const Drained drained = ReadWhatIsThere(fd, bytes, kMaxPictureFileBytes);
    if (bytes.size() > had) silence.start(ownerTimeoutMs);
    if (drained == Drained::ForNow) return;
    tooLarge = drained == Drained::OverLimit;
    ended = drained == Drained::Ended;
    failed = drained == Drained::Failed;
    notifier.setEnabled(false);
    loop.quit();
  });
  silence.start(ownerTimeoutMs);
  total.start(totalMs);
  shown.start(kShowReadAfterMs);
  c.reading = &loop;
  c.abandoned = false;
  loop.exec();
  c.reading = nullptr;
  notifier.setEnabled(false);
  ::close(fd);

  if (c.abandoned) return std::nullopt;
  if (tooLarge) throw std::runtime_error(TooLargeMessage());
  if (silent) throw std::runtime_error(OwnerSilentMessage());
  if (tooSlow) throw std::runtime_error(TransferTooSlowMessage(totalMs));
  if (failed) throw std::runtime_error(CannotOpenMessage());
  // Otherwise the wait was ended from outside: the program is quitting.
  if (!ended) return std::nullopt;
  return EncodedImage{format, std::move(bytes)};
}

void WaylandClipboard::abandonRead() {
  if (!c_->reading) return;
  c_->abandoned = true;
  c_->reading->quit();
}

void WaylandClipboard::setPng(const QByteArray& png) {
  Connection& c = *c_;
  c.dispatch();
  c.dropSource();
  if (png.isEmpty()) {
    wl_data_device_set_selection(c.device, nullptr, c.serial());
  } else {
    c.source = wl_data_device_manager_create_data_source(c.manager);
    wl_data_source_add_listener(c.source, &kSourceListener, &c);
    wl_data_source_offer(c.source, kPng);
    c.png = png;
    wl_data_device_set_selection(c.device, c.source, c.serial());
  }
  wl_display_flush(c.display);
}

}  // namespace huesift

#else

namespace huesift {

// Built without wayland-client or Qt's platform headers: Qt's own clipboard serves Wayland.
struct WaylandClipboard::Connection {};

std::unique_ptr<WaylandClipboard> WaylandClipboard::create() {
  return nullptr;
}
WaylandClipboard::~WaylandClipboard() = default;
std::optional<EncodedImage> WaylandClipboard::read(const ClipboardWait&, int, int) {
  return std::nullopt;
}
void WaylandClipboard::abandonRead() {}
void WaylandClipboard::setPng(const QByteArray&) {}

}  // namespace huesift

#endif
