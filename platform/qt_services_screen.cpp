// SPDX-License-Identifier: GPL-3.0-or-later
// The screen behind the capture: the work area of the screen that holds the main window and
// the still of it, in device pixels, from the X server or, on Wayland, from the desktop's
// screenshot portal.
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "platform/kwin_screenshot.h"
#include "platform/qt_services.h"
#include "platform/screen_ratio.h"
#include "platform/screenshot_portal.h"

namespace huesift {
namespace {

Q_LOGGING_CATEGORY(lcScreen, "huesift.screen", QtInfoMsg)

QScreen* ScreenOf(const QWidget* window) {
  QScreen* screen = window ? window->screen() : nullptr;
  return screen ? screen : QGuiApplication::primaryScreen();
}

bool WaylandPlatform() {
  return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// An X11 program on a Wayland desktop (XWayland) sees only its own windows on the screen.
bool WaylandSession() {
  return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         qgetenv("XDG_SESSION_TYPE") == "wayland";
}

// The device pixels of area (logical coordinates) in a picture of origin's logical rectangle
// taken at scale device pixels per logical one. Qt rounds logical sizes to whole numbers, so
// 2560 device pixels at 1.5 read 1707 and must give back 2560, not 2561.
QRect DeviceRect(const QRect& area, const QRect& origin, qreal scaleX, qreal scaleY) {
  const QPointF corner = QPointF(area.topLeft() - origin.topLeft());
  return QRect(static_cast<int>(std::lround(corner.x() * scaleX)),
               static_cast<int>(std::lround(corner.y() * scaleY)),
               static_cast<int>(std::floor(area.width() * scaleX + 1e-6)),
               static_cast<int>(std::floor(area.height() * scaleY + 1e-6)));
}

// A part of image that shares its pixels: the still is copied once, into the overlay.
QImage Part(const QImage& image, const QRect& rect) {
  const QRect part = rect & image.rect();
  if (part == image.rect() || part.isEmpty()) return part.isEmpty() ? QImage() : image;
  if (image.depth() % 8 != 0) return image.copy(part);
  auto* owner = new QImage(image);
  const uchar* first =
      owner->constBits() + part.y() * owner->bytesPerLine() + part.x() * (owner->depth() / 8);
  return QImage(
      first, part.width(), part.height(), owner->bytesPerLine(), owner->format(),
      [](void* held) { delete static_cast<QImage*>(held); }, owner);
}

bool AllOneColour(const QImage& image) {
  if (image.isNull()) return true;
  const QRgb first = image.pixel(0, 0);
  for (int y = 0; y < image.height(); ++y) {
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32) {
      const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x)
        if (row[x] != first) return false;
    } else {
      for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) != first) return false;
    }
  }
  return true;
}

// How long the portal waits for its own question whether programs may take screenshots.
constexpr int kPortalQuestionLimit = 25000;

// How long grim may take to read one screen.
constexpr int kOutputGrabTimeoutMs = 10000;

// One Wayland output in its own pixels, read by grim through the compositor's screen-copy
// protocol; nothing where grim or the protocol is missing.
QImage OutputPixels(const QString& output) {
  const QString grim = QStandardPaths::findExecutable(QStringLiteral("grim"));
  if (grim.isEmpty() || output.isEmpty()) return {};
  QProcess process;
  process.start(grim, {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-o"), output,
                       QStringLiteral("-")});
  if (!process.waitForFinished(kOutputGrabTimeoutMs) ||
      process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    process.kill();
    process.waitForFinished(1000);
    return {};
  }
  QImage image;
  image.loadFromData(process.readAllStandardOutput(), "PPM");
  return image;
}

}  // namespace

// The portal's picture shows the whole desktop, every screen where it lies, at the highest
// scale of them all: a screen of a lower scale comes out resampled. That screen is then read
// on its own where the compositor lets us, and else resampled to its own pixels, which the
// user is told once.
QImage QtServices::portalStill(QScreen* screen, const QRect& area) {
  const ScreenArea shown = LogicalScreen(screen);
  const QRect screenArea = shown.logical;
  const qreal ratio = shown.ratio;
  const QSize own = DeviceRect(area, screenArea, ratio, ratio).size();
  // KDE's portal draws the pointer into its picture; KWin itself leaves it out, for a program
  // it knows by its desktop entry. Elsewhere the call fails at once.
  QString refusal;
  if (std::optional<QImage> shot = KWinScreenshot(area, kPortalTimeout, &refusal)) {
    if (shot->size() == own) return *shot;
    return shot->scaled(own, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  if (KdeSession() && !pointerNoticeGiven_) {
    pointerNoticeGiven_ = true;
    qCInfo(lcScreen).noquote() << "KWin's screenshot refused:" << refusal;
    showMessage(nullptr, QCoreApplication::translate(
                             "huesift::Screen",
                             "The mouse pointer may show in captured pictures: KWin leaves it "
                             "out only for programs installed with a desktop entry that allows "
                             "them its screenshots."));
  }
  const QImage desktop = PortalScreenshot();
  // The portal's picture spans Qt's layout of the screens, which may count in screen pixels
  // where windows count in logical ones: area is taken there in Qt's units.
  const QRect layout = screen->geometry();
  const qreal toLayoutX = qreal(layout.width()) / shown.logical.width();
  const qreal toLayoutY = qreal(layout.height()) / shown.logical.height();
  const QPointF corner = area.topLeft() - shown.logical.topLeft();
  const QRect inLayout(
      layout.topLeft() +
          QPoint(std::lround(corner.x() * toLayoutX), std::lround(corner.y() * toLayoutY)),
      QSize(std::lround(area.width() * toLayoutX), std::lround(area.height() * toLayoutY)));
  const QRect all = screen->virtualGeometry();
  const qreal scaleX = qreal(desktop.width()) / all.width();
  const qreal scaleY = qreal(desktop.height()) / all.height();
  QImage still = Part(desktop, DeviceRect(inLayout, all, scaleX, scaleY));
  if (still.isNull())
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Screen", "the screenshot portal's picture is empty")
            .toStdString());
  if (still.size() == own || std::abs(scaleX * toLayoutX - ratio) * screenArea.width() < 1)
    return still;

  const QImage output = OutputPixels(screen->name());
  if (!output.isNull() && std::abs(output.width() - screenArea.width() * ratio) < 2) {
    const QImage part =
        Part(output, DeviceRect(area, screenArea, qreal(output.width()) / screenArea.width(),
                                qreal(output.height()) / screenArea.height()));
    if (part.size() == own) return part;
  }
  if (!resampleNoticeGiven_) {
    resampleNoticeGiven_ = true;
    showMessage(nullptr, QCoreApplication::translate(
                             "huesift::Screen",
                             "This screen can be captured only resampled: the desktop's "
                             "screenshot service takes it at another scale, so the picture is "
                             "not exactly the screen's pixels."));
  }
  return still.scaled(own, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QRect QtServices::workArea(const QWidget* window) {
  QScreen* screen = ScreenOf(window);
  if (!screen) return QRect(0, 0, 800, 600);
  // Wayland tells programs no work area. An X11 program on a Wayland desktop (XWayland) is
  // told one by the X server, as the desktop's window manager publishes it.
  return WaylandPlatform() ? LogicalScreen(screen).logical : screen->availableGeometry();
}

std::optional<QString> QtServices::screenshotPermission(QWidget* window) {
  if (!WaylandPlatform() && !WaylandSession()) return std::nullopt;
  const ScreenshotGrant grant = StoredScreenshotGrant();
  if (grant == ScreenshotGrant::Granted || !PortalAsksFirst()) return std::nullopt;
  if (grant == ScreenshotGrant::Refused) {
    return QCoreApplication::translate(
        "huesift::Screen",
        "the desktop was told not to let programs take screenshots. To be asked again, run: "
        "gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore "
        "--object-path /org/freedesktop/impl/portal/PermissionStore --method "
        "org.freedesktop.impl.portal.PermissionStore.DeletePermission screenshot screenshot "
        "\"''\"");
  }
  // One screenshot, thrown away, for the desktop to put its question with our window still
  // up; the capture proper follows once it is answered. The user may give up waiting.
  QDialog waiting(window);
  waiting.setWindowTitle(QCoreApplication::translate("huesift::Screen", "Screen capture"));
  waiting.setModal(true);
  auto* layout = new QVBoxLayout(&waiting);
  auto* label = new QLabel(QCoreApplication::translate(
      "huesift::Screen", "Waiting for the desktop's permission to take screenshots..."));
  layout->addWidget(label);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &waiting, &QDialog::reject);
  layout->addWidget(buttons);
  // The portal (1.16) stops waiting for its own question after 25 s and then never answers,
  // while the question stays up: an answer given later comes to nothing.
  QTimer late;
  late.setSingleShot(true);
  QObject::connect(&late, &QTimer::timeout, label, [label] {
    label->setText(QCoreApplication::translate(
        "huesift::Screen",
        "Waiting for the desktop's permission to take screenshots... If you have answered "
        "and nothing happens, press Cancel and capture again."));
  });
  late.start(kPortalQuestionLimit);
  waiting.show();
  try {
    PortalScreenshot(kPortalTimeout, &waiting);
  } catch (const PortalCancelled&) {
    return QString();
  } catch (const std::runtime_error& error) {
    waiting.hide();
    return QString::fromUtf8(error.what());
  }
  waiting.hide();
  return std::nullopt;
}

bool QtServices::placesWindowsItself() {
  return WaylandPlatform() || WaylandSession();
}

QImage QtServices::grabScreen(const QWidget* window, const QRect& area) {
  // The screen under the area: the window may be hidden by now, and a hidden window's
  // screen on Wayland is Qt's first.
  QScreen* screen = nullptr;
  for (QScreen* each : QGuiApplication::screens()) {
    if (LogicalScreen(each).logical.contains(area.center())) {
      screen = each;
      break;
    }
  }
  if (!screen) screen = ScreenOf(window);
  if (!screen)
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Screen", "there is no screen").toStdString());
  if (WaylandPlatform()) return portalStill(screen, area);
  auto fromX = [&] {
    // The pixmap holds the screen's own device pixels; its image shares them.
    const QImage whole = screen->grabWindow(0).toImage();
    const qreal ratio = screen->devicePixelRatio();
    return Part(whole, DeviceRect(area, screen->geometry(), ratio, ratio));
  };
  if (!WaylandSession()) {
    const QImage still = fromX();
    if (still.isNull())
      throw std::runtime_error(
          QCoreApplication::translate("huesift::Screen", "the screen cannot be read")
              .toStdString());
    return still;
  }
  // An X11 program on a Wayland desktop (XWayland) reads only the X11 windows from the X
  // server, and black or nothing where the desktop's own windows are: the portal sees them
  // all. The X server's picture stands in only when there is no portal and it shows something.
  try {
    return portalStill(screen, area);
  } catch (const std::runtime_error&) {
    const QImage still = fromX();
    if (still.isNull() || AllOneColour(still)) throw;
    return still;
  }
}

}  // namespace huesift
