// SPDX-License-Identifier: GPL-3.0-or-later
// A borderless window covering the whole screen with a known pattern, for the capture tests
// to take pictures of. The pattern is also computed by the test driver (pattern_colour).
// With --fullscreen it asks the window manager for the full screen and draws the pattern in
// the screen's own pixels, so that a picture off by one screen pixel, or magnified, shows
// at any scale.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace {

// Every channel varies, so a picture taken one pixel off shows.
QRgb PatternColour(int x, int y) {
  return qRgb((x * 5 + y * 3) & 255, (x ^ (y * 7)) & 255, (x * y + x) & 255);
}

class PatternWindow : public QWidget {
 public:
  explicit PatternWindow(QSize size)
      : QWidget(nullptr, Qt::FramelessWindowHint), image_(size, QImage::Format_RGB32) {
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width(); ++x) image_.setPixel(x, y, PatternColour(x, y));
    setWindowTitle("huesift-e2e-pattern");
    setGeometry(0, 0, size.width(), size.height());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!screenPixels) {
      QPainter(this).drawImage(0, 0, image_);
      return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (fine_.size() != pixels) {
      fine_ = QImage(pixels, QImage::Format_RGB32);
      for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x) fine_.setPixel(x, y, PatternColour(x, y));
      fine_.setDevicePixelRatio(ratio);
    }
    QPainter(this).drawImage(0, 0, fine_);
  }

 public:
  bool screenPixels = false;

 private:
  QImage image_;
  QImage fine_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  PatternWindow window(app.primaryScreen()->geometry().size());
  if (app.arguments().contains(QStringLiteral("--fullscreen"))) {
    window.screenPixels = true;
    window.showFullScreen();
  } else {
    window.show();
  }
  return app.exec();
}
