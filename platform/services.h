// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCursor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "engine/colour.h"

class QWidget;
class QDialog;

namespace huesift {

// An image file's bytes as the clipboard hands them over, with the format they are in.
struct EncodedImage {
  QString mimeType;
  QByteArray bytes;
};

// What a clipboard read that lets the window go on meanwhile (as on Wayland) tells the one who
// asked for it.
struct ClipboardWait {
  // Called once the read has waited long enough to be seen; from then until it returns,
  // Services::abandonClipboardRead() ends it.
  std::function<void()> underWay;
};

// Everything the program asks of the desktop goes through here, so tests can replace what
// would block (modal dialogs, sleeps) or inject faults. QtServices is the real thing.
class Services {
 public:
  virtual ~Services() = default;

  // The work area of the screen that holds window: the screen rectangle not covered by panels
  // and docks, in Qt's logical coordinates.
  virtual QRect workArea(const QWidget* window) = 0;
  // Let pending user-interface events run (used from inside long handlers).
  virtual void pumpEvents() = 0;
  virtual void sleepMs(int ms) = 0;

  // One-line modal message with an OK button.
  virtual void showMessage(QWidget* parent, const QString& text) = 0;
  // Modal colour chooser opened on initial; nothing when cancelled.
  virtual std::optional<Colour> chooseColour(QWidget* parent, Colour initial) = 0;
  // Shows a window modally and returns when it closes.
  virtual void execModal(QDialog* dialog) = 0;
  // Modal file choosers, opened in folder (Open) or on the suggested path (Save); filters
  // as QFileDialog takes them. Save answers with the path and the filter chosen, and has
  // asked before replacing a file. Nothing when cancelled.
  virtual std::optional<QString> chooseFileToOpen(QWidget* parent, const QString& folder,
                                                  const QStringList& filters) = 0;
  virtual std::optional<std::pair<QString, QString>> chooseFileToSave(
      QWidget* parent, const QString& suggested, const QStringList& filters) = 0;

  // True where the desktop, not the program, places windows (Wayland, XWayland too): the
  // capture overlay is then shown full-screen and covers the whole screen rather than the
  // work area.
  virtual bool placesWindowsItself() { return false; }
  // What the screen that holds window shows under area (Qt's logical coordinates, as from
  // workArea), one image pixel per device pixel. Throws std::runtime_error with a short
  // reason ("the screenshot portal is not running") when the screen cannot be read.
  virtual QImage grabScreen(const QWidget* window, const QRect& area) = 0;
  // Called before a capture takes the program's windows off the screen. Where the desktop
  // asks the user whether programs may take screenshots, and nobody has answered yet, the
  // question is put now, while the windows are still up, and waited for as long as it takes.
  // Nothing when the capture may go on; else why not, as a message to show, or an empty
  // text when the user cancelled.
  virtual std::optional<QString> screenshotPermission(QWidget* window) {
    (void)window;
    return std::nullopt;
  }

  // The clipboard's picture as the bytes of one image format it offers (the one most
  // likely to be exact), or nothing when it offers none. Throws std::runtime_error with a
  // one-line text when the clipboard cannot be reached or its owner does not answer in time.
  // Where the platform allows, the window takes input while the bytes come (see wait).
  virtual std::optional<EncodedImage> clipboardImageBytes(const ClipboardWait& wait) = 0;
  std::optional<EncodedImage> clipboardImageBytes() { return clipboardImageBytes({}); }
  // Ends a read that said it is under way: it returns nothing, and the clipboard is as it was.
  virtual void abandonClipboardRead() {}
  // Called once the main window has been painted: whatever makes the next clipboard read
  // quicker may now be got ready, while the window is idle.
  virtual void prepareClipboardRead() {}
  // Puts a picture on the clipboard: png is its PNG file, offered as it is (the pixels other
  // programs get are exactly ours); from image the other formats are made on request (on
  // Wayland the PNG is offered alone, served to each reader without the window waiting).
  virtual void setClipboardImage(const QImage& image, const QByteArray& png) = 0;

  // Prints image on the default printer, each picture pixel scale printer pixels wide.
  // Throws std::runtime_error with "There is no default printer currently selected".
  virtual void printImage(const QImage& image, double scale) = 0;

  // Raises the process's scheduling priority while a capture rectangle is dragged.
  virtual void raisePriority() = 0;
  virtual void restorePriority() = 0;

  // Loads a cursor file (Windows .cur) from the working directory, or else from beside the
  // program or its ../share/huesift; nothing when none of them holds a valid one.
  virtual std::optional<QCursor> loadCursorFile(const QString& fileName) = 0;
};

}  // namespace huesift
