// SPDX-License-Identifier: GPL-3.0-or-later
// The screen behind the capture: the work area of the screen that holds the main window and
// the still of it, in device pixels, from the X server or, on Wayland, from the desktop's
// screenshot portal.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <stdexcept>

#include "platform/qt_services.h"
#include "platform/screenshot_portal.h"

namespace huesift {
namespace {

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

// The portal's picture shows the whole desktop, every screen where it lies.
QImage PortalStill(QScreen* screen, const QRect& area) {
  const QImage desktop = PortalScreenshot();
  const QRect all = screen->virtualGeometry();
  const QImage still = Part(desktop, DeviceRect(area, all, qreal(desktop.width()) / all.width(),
                                                qreal(desktop.height()) / all.height()));
  if (still.isNull())
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Screen", "the screenshot portal's picture is empty")
            .toStdString());
  return still;
}

}  // namespace

QRect QtServices::workArea(const QWidget* window) {
  QScreen* screen = ScreenOf(window);
  if (!screen) return QRect(0, 0, 800, 600);
  // Where the desktop places windows itself the overlay covers the whole screen.
  return placesWindowsItself() ? screen->geometry() : screen->availableGeometry();
}

bool QtServices::placesWindowsItself() {
  return WaylandPlatform() || WaylandSession();
}

QImage QtServices::grabScreen(const QWidget* window, const QRect& area) {
  QScreen* screen = ScreenOf(window);
  if (!screen)
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Screen", "there is no screen").toStdString());
  if (WaylandPlatform()) return PortalStill(screen, area);
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
    return PortalStill(screen, area);
  } catch (const std::runtime_error&) {
    const QImage still = fromX();
    if (still.isNull() || AllOneColour(still)) throw;
    return still;
  }
}

}  // namespace huesift
