// SPDX-License-Identifier: GPL-3.0-or-later
// The freedesktop screenshot portal over D-Bus. The call returns a request object at once;
// the picture comes later in that request's Response signal, and a caller that leaves the
// bus before then gets its request closed, so the answer is awaited here with the event loop
// running.
#include "platform/screenshot_portal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>
#include <optional>
#include <stdexcept>

#include "codec/png_read.h"
#include "files/file_access.h"

namespace huesift {
namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kObject = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

// Big enough for a still of several 8K screens side by side.
constexpr int kDecodeLimitMiB = 1024;

// Receives the request's Response signal.
class PortalAnswer : public QObject {
  Q_OBJECT
 public:
  std::optional<uint> code;
  QVariantMap results;

 signals:
  void answered();

 public slots:
  void Response(uint response, const QVariantMap& values) {
    code = response;
    results = values;
    emit answered();
  }
};

QString Reason(const QDBusError& error) {
  switch (error.type()) {
    case QDBusError::ServiceUnknown:
      return QCoreApplication::translate("huesift::Screen", "the screenshot portal is not running");
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
      return QCoreApplication::translate("huesift::Screen",
                                         "the desktop portal offers no screenshots");
    case QDBusError::AccessDenied:
      return QCoreApplication::translate("huesift::Screen", "the screenshot was refused");
    default:
      return error.message().isEmpty() ? error.name() : error.message();
  }
}

// The file's inode when it is a regular file (a link is never one); nothing otherwise.
std::optional<unsigned long long> RegularFileInode(const QString& path) {
  struct stat info {};
  if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
    return std::nullopt;
  return static_cast<unsigned long long>(info.st_ino);
}

QImage ReadPortalFile(const QString& path, const FolderSnapshot& before) {
  // Whatever the answer names is looked at before it is opened: a FIFO or a device would
  // block the program or never end.
  QString reason;
  const std::optional<QByteArray> bytes = ReadFileBytes(QFile::encodeName(path), Streams::Refuse,
                                                        qint64{kDecodeLimitMiB} << 20, reason);
  if (!bytes) {
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Screen", "the screenshot portal's file %1: %2")
            .arg(path, reason)
            .toStdString());
  }
  // The portals write PNG: our reader takes a whole desktop's in a fraction of Qt's time.
  QImage image;
  if (ReadCommonPng({reinterpret_cast<const std::uint8_t*>(bytes->constData()),
                     static_cast<std::size_t>(bytes->size())},
                    [&](std::uint32_t width, std::uint32_t height) -> std::uint32_t* {
                      if (width > 32767 || height > 32767) return nullptr;
                      image = QImage(static_cast<int>(width), static_cast<int>(height),
                                     QImage::Format_RGB32);
                      return image.isNull() || image.bytesPerLine() != image.width() * 4
                                 ? nullptr
                                 : reinterpret_cast<std::uint32_t*>(image.bits());
                    }) != PngRead::Read) {
    QBuffer buffer;
    buffer.setData(*bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kDecodeLimitMiB);
    image = reader.read();
  }
  if (before.madeSince(path)) QFile::remove(path);
  if (image.isNull())
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Screen",
                                    "the screenshot portal's picture cannot be read")
            .toStdString());
  return image;
}

}  // namespace

QStringList FolderSnapshot::PortalFolders() {
  return {QDir::homePath(),
          QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
          QDir::home().filePath(QStringLiteral("Pictures")),
          QDir::tempPath(),
          QStringLiteral("/tmp"),
          QStringLiteral("/var/tmp")};
}

FolderSnapshot::FolderSnapshot(const QStringList& folders) {
  // The clock the file systems stamp files with: a precise one can run a few milliseconds
  // ahead of the stamp of a file made just after it.
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  takenAtNs_ = static_cast<long long>(now.tv_sec) * 1000000000 + now.tv_nsec;
  for (const QString& folder : folders) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || folders_.count(canonical)) continue;
    std::map<QString, unsigned long long>& names = folders_[canonical];
    const QDir dir(canonical);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
      if (const auto inode = RegularFileInode(dir.filePath(name))) names[name] = *inode;
  }
}

bool FolderSnapshot::madeSince(const QString& path) const {
  const QFileInfo file(path);
  const std::optional<unsigned long long> inode = RegularFileInode(path);
  if (!inode) return false;
  const auto folder = folders_.find(file.canonicalPath());
  if (folder == folders_.end()) {
    struct statx info {};
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_SYMLINK_NOFOLLOW, STATX_BTIME,
                &info) != 0 ||
        !(info.stx_mask & STATX_BTIME))
      return false;  // no way to tell: it may be anyone's
    const long long born =
        static_cast<long long>(info.stx_btime.tv_sec) * 1000000000 + info.stx_btime.tv_nsec;
    return born >= takenAtNs_;
  }
  const auto known = folder->second.find(file.fileName());
  return known == folder->second.end() || known->second != *inode;
}

ScreenshotGrant StoredScreenshotGrant() {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.impl.portal.PermissionStore"),
      QStringLiteral("/org/freedesktop/impl/portal/PermissionStore"),
      QStringLiteral("org.freedesktop.impl.portal.PermissionStore"), QStringLiteral("Lookup"));
  call << QStringLiteral("screenshot") << QStringLiteral("screenshot");
  // No entry at all is an error here, and so no grant.
  const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
    return ScreenshotGrant::None;
  // a{sas}: app id -> values; a program outside a sandbox has the empty app id.
  QMap<QString, QStringList> apps;
  const QDBusArgument argument = reply.arguments().first().value<QDBusArgument>();
  argument >> apps;
  const QStringList values = apps.value(QString());
  if (values.isEmpty()) return ScreenshotGrant::None;
  return values.first() == QLatin1String("yes") ? ScreenshotGrant::Granted
                                                : ScreenshotGrant::Refused;
}

bool PortalAsksFirst() {
  // The portal's own rule for which back end serves screenshots: the first, by file name,
  // whose description offers them and names one of the current desktops.
  QString folder = qEnvironmentVariable("XDG_DESKTOP_PORTAL_DIR");
  if (folder.isEmpty()) folder = QStringLiteral("/usr/share/xdg-desktop-portal/portals");
  const QDir portals(folder);
  const QStringList names =
      portals.entryList({QStringLiteral("*.portal")}, QDir::Files, QDir::Name);
  for (const QString& desktop :
       qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(':', Qt::SkipEmptyParts)) {
    for (const QString& name : names) {
      QFile file(portals.filePath(name));
      if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
      QMap<QString, QStringList> keys;
      for (const QByteArray& line : file.readAll().split('\n')) {
        const int equals = line.indexOf('=');
        if (equals > 0)
          keys[QString::fromUtf8(line.left(equals)).trimmed()] =
              QString::fromUtf8(line.mid(equals + 1)).trimmed().split(';', Qt::SkipEmptyParts);
      }
      if (!keys.value(QStringLiteral("Interfaces"))
               .contains(QStringLiteral("org.freedesktop.impl.portal.Screenshot")) ||
          !keys.value(QStringLiteral("UseIn")).contains(desktop, Qt::CaseInsensitive))
        continue;
      QDBusMessage call = QDBusMessage::createMethodCall(
          keys.value(QStringLiteral("DBusName")).value(0), kObject,
          QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
      call << QStringLiteral("org.freedesktop.impl.portal.Screenshot") << QStringLiteral("version");
      const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
      if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
      return reply.arguments().first().value<QDBusVariant>().variant().toUInt() >= 2;
    }
  }
  return false;
}

QImage PortalScreenshot(std::chrono::milliseconds timeout, QDialog* waiting) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected())
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Screen", "there is no session bus").toStdString());

  // The request object's path follows from our bus name and a token of ours, so the answer
  // can be listened for before the call is made and cannot slip past.
  static int serial = 0;
  const QString token =
      QStringLiteral("huesift%1_%2").arg(QCoreApplication::applicationPid()).arg(++serial);
  QString sender = bus.baseService().mid(1);
  sender.replace('.', '_');
  QString request = kObject + QStringLiteral("/request/") + sender + '/' + token;

  PortalAnswer answer;
  QEventLoop loop;
  QObject::connect(&answer, &PortalAnswer::answered, &loop, &QEventLoop::quit);
  auto listen = [&](const QString& path, bool on) {
    if (on) {
      bus.connect(kService, path, kRequest, QStringLiteral("Response"), &answer,
                  SLOT(Response(uint, QVariantMap)));
    } else {
      bus.disconnect(kService, path, kRequest, QStringLiteral("Response"), &answer,
                     SLOT(Response(uint, QVariantMap)));
    }
  };
  listen(request, true);

  // Looked at before the call, so that the file the answer names can be told from the user's.
  const FolderSnapshot before;
  QDBusMessage call = QDBusMessage::createMethodCall(
      kService, kObject, QStringLiteral("org.freedesktop.portal.Screenshot"),
      QStringLiteral("Screenshot"));
  call << QString()
       << QVariantMap{{QStringLiteral("handle_token"), token},
                      {QStringLiteral("interactive"), false},
                      {QStringLiteral("modal"), false}};
  // The call itself answers at once with the request; the picture is what takes long.
  const auto timeoutMs = static_cast<int>(waiting ? kPortalTimeout.count() : timeout.count());
  QDBusPendingCallWatcher watcher(bus.asyncCall(call, timeoutMs));
  QString failure;
  QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, [&] {
    const QDBusPendingReply<QDBusObjectPath> reply = watcher;
    if (reply.isError()) {
      // A call that timed out is reported below as the silence it is.
      const QDBusError::ErrorType type = reply.error().type();
      if (type != QDBusError::NoReply && type != QDBusError::Timeout)
        failure = Reason(reply.error());
      loop.quit();
      return;
    }
    // Portals older than the request-path rule pick a path of their own.
    const QString handle = reply.value().path();
    if (handle != request) {
      listen(request, false);
      request = handle;
      listen(request, true);
    }
  });
  QTimer timer;
  bool cancelled = false;
  if (waiting) {
    // The desktop may be asking the user; that takes as long as the user takes.
    QObject::connect(waiting, &QDialog::finished, &loop, [&] {
      cancelled = true;
      loop.quit();
    });
  } else {
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(timeout);
  }
  // Without a window of ours to wait in, both windows are hidden meanwhile; nothing the user
  // does may start another action.
  if (!answer.code && failure.isEmpty())
    loop.exec(waiting ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
  listen(request, false);
  if (cancelled && !answer.code && failure.isEmpty()) {
    bus.call(QDBusMessage::createMethodCall(kService, request, kRequest, QStringLiteral("Close")),
             QDBus::NoBlock);
    throw PortalCancelled();
  }

  if (!failure.isEmpty()) throw std::runtime_error(failure.toStdString());
  if (!answer.code) {
    bus.call(QDBusMessage::createMethodCall(kService, request, kRequest, QStringLiteral("Close")),
             QDBus::NoBlock);
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Screen",
                                    "the screenshot portal did not answer within %1 seconds")
            .arg(timeout.count() / 1000)
            .toStdString());
  }
  if (*answer.code == 1)
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Screen", "the screenshot was cancelled")
            .toStdString());
  if (*answer.code != 0)
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Screen", "the screenshot was refused").toStdString());
  const QUrl uri(answer.results.value(QStringLiteral("uri")).toString());
  if (!uri.isLocalFile())
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Screen", "the screenshot portal sent no picture file")
            .toStdString());
  return ReadPortalFile(uri.toLocalFile(), before);
}

}  // namespace huesift

#include "screenshot_portal.moc"
