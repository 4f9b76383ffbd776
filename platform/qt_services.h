// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <utility>

class QScreen;

#include "platform/services.h"

namespace huesift {

class ClipboardReaders;
class WaylandClipboard;

// The real desktop behind Services.
class QtServices : public Services {
 public:
  // programDirectory is where the program's own files are looked for after the working
  // directory; empty means the folder of the running executable.
  explicit QtServices(QString programDirectory = {});
  ~QtServices() override;

  QRect workArea(const QWidget* window) override;
  void pumpEvents() override;
  void sleepMs(int ms) override;
  void showMessage(QWidget* parent, const QString& text) override;
  std::optional<Colour> chooseColour(QWidget* parent, Colour initial) override;
  void execModal(QDialog* dialog) override;
  std::optional<QString> chooseFileToOpen(QWidget* parent, const QString& folder,
                                          const QStringList& filters) override;
  std::optional<std::pair<QString, QString>> chooseFileToSave(QWidget* parent,
                                                              const QString& suggested,
                                                              const QStringList& filters) override;
  bool placesWindowsItself() override;
  QImage grabScreen(const QWidget* window, const QRect& area) override;
  std::optional<QString> screenshotPermission(QWidget* window) override;
  using Services::clipboardImageBytes;
  std::optional<EncodedImage> clipboardImageBytes(const ClipboardWait& wait) override;
  void abandonClipboardRead() override;
  void prepareClipboardRead() override;
  void setClipboardImage(const QImage& image, const QByteArray& png) override;
  void printImage(const QImage& image, double scale) override;
  void raisePriority() override;
  void restorePriority() override;
  std::optional<QCursor> loadCursorFile(const QString& fileName) override;

 private:
  QImage portalStill(QScreen* screen, const QRect& area);

  // On X, where the clipboard is read in reader processes: created when first needed.
  ClipboardReaders& clipboardReaders();

  QString programDirectory_;
  std::unique_ptr<ClipboardReaders> clipboardReaders_;
  // On Wayland, the selection spoken to directly; null where it cannot be (then Qt's own
  // clipboard is used).
  WaylandClipboard* waylandClipboard();
  std::unique_ptr<WaylandClipboard> waylandClipboard_;
  bool waylandClipboardTried_ = false;
  bool resampleNoticeGiven_ = false;
  bool pointerNoticeGiven_ = false;
};

}  // namespace huesift
