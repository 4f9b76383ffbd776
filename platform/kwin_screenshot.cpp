// SPDX-License-Identifier: GPL-3.0-or-later
// KWin's screenshot interface answers a call once the frame is taken, with the picture's
// size and layout, and then writes the raw pixels to a pipe we pass it, from a thread of its
// own. The pipe is read as the data comes, with the event loop running, so that KWin is
// never left blocked on a full pipe while we wait for its reply.
#include "platform/kwin_screenshot.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <stdexcept>

#include "files/file_access.h"

namespace huesift {
namespace {

const QString kService = QStringLiteral("org.kde.KWin");
const QString kObject = QStringLiteral("/org/kde/KWin/ScreenShot2");
const QString kInterface = QStringLiteral("org.kde.KWin.ScreenShot2");

// The largest picture taken as one: several 8K screens side by side.
constexpr qint64 kMaxBytes = qint64{1024} << 20;

[[noreturn]] void Fail(const QString& reason) {
  throw std::runtime_error(reason.toStdString());
}

QString Unreadable() {
  return QCoreApplication::translate("huesift::Screen", "KWin's screenshot cannot be read");
}

// Both ends of a pipe, closed when it goes.
struct Pipe {
  int read = -1;
  int write = -1;
  Pipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) == 0) {
      read = ends[0];
      write = ends[1];
      ::fcntl(read, F_SETFL, ::fcntl(read, F_GETFL) | O_NONBLOCK);
    }
  }
  ~Pipe() {
    closeWrite();
    if (read >= 0) ::close(read);
  }
  void closeWrite() {
    if (write >= 0) ::close(write);
    write = -1;
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
};

}  // namespace

bool KdeSession() {
  const QByteArray desktops = qgetenv("XDG_CURRENT_DESKTOP");
  for (const QByteArray& name : desktops.split(':'))
    if (name.compare("KDE", Qt::CaseInsensitive) == 0) return true;
  return false;
}

QImage DecodeKWinPixels(const QByteArray& pixels, const QVariantMap& metadata) {
  const QString type = metadata.value(QStringLiteral("type"), QStringLiteral("raw")).toString();
  bool okWidth = false, okHeight = false, okStride = false, okFormat = false;
  const qint64 width = metadata.value(QStringLiteral("width")).toLongLong(&okWidth);
  const qint64 height = metadata.value(QStringLiteral("height")).toLongLong(&okHeight);
  const qint64 stride = metadata.value(QStringLiteral("stride")).toLongLong(&okStride);
  const qint64 format = metadata.value(QStringLiteral("format")).toLongLong(&okFormat);
  if (type != QLatin1String("raw") || !okWidth || !okHeight || !okStride || !okFormat ||
      width <= 0 || height <= 0 || width > 32767 || height > 32767 || format <= 0 ||
      format >= QImage::NImageFormats)
    Fail(Unreadable());
  const auto qFormat = static_cast<QImage::Format>(format);
  // A picture of the screen has no colour table: indexed formats cannot be one.
  const int depth = QImage::toPixelFormat(qFormat).bitsPerPixel();
  if (depth < 8 || depth % 8 != 0 || qFormat == QImage::Format_Indexed8) Fail(Unreadable());
  const qint64 rowBytes = width * (depth / 8);
  // Rows are padded to the stride; the last row may end where its pixels do.
  if (stride < rowBytes || stride % 4 != 0 || stride > kMaxBytes / height ||
      pixels.size() < stride * (height - 1) + rowBytes)
    Fail(Unreadable());
  const QImage view(reinterpret_cast<const uchar*>(pixels.constData()), static_cast<int>(width),
                    static_cast<int>(height), static_cast<qsizetype>(stride), qFormat);
  // A copy of our own: the view lives on the bytes it was given, and a conversion to the
  // format it already has would share them. The screen is opaque, so the premultiplied form
  // KWin keeps it in comes out unchanged.
  QImage image = view.format() == QImage::Format_RGB32 ? view.copy()
                                                       : view.convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) Fail(Unreadable());
  return image;
}

std::optional<QImage> KWinScreenshot(const QRect& area, std::chrono::milliseconds timeout,
                                     QString* reason) {
  auto refused = [&](const QString& why) -> std::optional<QImage> {
    if (reason) *reason = why;
    return std::nullopt;
  };
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || area.isEmpty()) return refused(QStringLiteral("no session bus"));
  Pipe pipe;
  if (pipe.read < 0) return refused(QStringLiteral("no pipe: ") + qt_error_string(errno));

  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kObject, kInterface, QStringLiteral("CaptureArea"));
  // On another desktop nothing is started for the call: it fails at once.
  call.setAutoStartService(false);
  call << area.x() << area.y() << static_cast<uint>(area.width())
       << static_cast<uint>(area.height())
       << QVariantMap{{QStringLiteral("include-cursor"), false},
                      {QStringLiteral("native-resolution"), true}}
       << QVariant::fromValue(QDBusUnixFileDescriptor(pipe.write));
  const auto timeoutMs = static_cast<int>(timeout.count());
  QDBusPendingCallWatcher watcher(bus.asyncCall(call, timeoutMs));
  // The message (and the call kept beside it) hold copies of the writing end; ours goes now.
  call = QDBusMessage();
  pipe.closeWrite();

  QEventLoop loop;
  QByteArray pixels;
  bool ended = false;  // the writer closed its end
  std::optional<QVariantMap> metadata;
  QDBusError error;
  auto expected = [&]() -> qint64 {
    if (!metadata) return -1;
    return metadata->value(QStringLiteral("stride")).toLongLong() *
           metadata->value(QStringLiteral("height")).toLongLong();
  };
  auto complete = [&] {
    return error.isValid() || (metadata && (ended || pixels.size() >= expected()));
  };
  QSocketNotifier notifier(pipe.read, QSocketNotifier::Read);
  QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
    // More than a picture's worth is taken as the end: the metadata will not describe it.
    const Drained drained = ReadWhatIsThere(pipe.read, pixels, kMaxBytes);
    if (drained == Drained::Ended || drained == Drained::OverLimit) {
      ended = true;
      notifier.setEnabled(false);
    }
    if (complete()) loop.quit();
  });
  QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, [&] {
    const QDBusPendingReply<QVariantMap> reply = watcher;
    if (reply.isError())
      error = reply.error();
    else
      metadata = reply.value();
    if (complete()) loop.quit();
  });
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(timeout);
  // The windows are hidden meanwhile; nothing the user does may start another action.
  if (!complete()) loop.exec(QEventLoop::ExcludeUserInputEvents);

  const bool timedOut = error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout;
  if (!complete() || timedOut)
    Fail(QCoreApplication::translate("huesift::Screen",
                                     "KWin's screenshot did not come within %1 seconds")
             .arg(timeout.count() / 1000));
  // Not KWin, an older one, or one that does not let us: the portal is asked instead.
  if (error.isValid()) return refused(error.name() + QStringLiteral(": ") + error.message());
  return DecodeKWinPixels(pixels, *metadata);
}

}  // namespace huesift
