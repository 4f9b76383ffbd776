// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QStringList>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/services.h"
#include "tests/ui/picture_bytes.h"

namespace huesift::test {

// Services for the UI tests: real event pumping, everything that would block or reach the
// desktop recorded instead, faults injectable.
class FakeServices : public Services {
 public:
  QRect workAreaRect{0, 0, 1024, 700};
  std::vector<const QWidget*> workAreaAskedFor;  // the window each query named
  QRect workArea(const QWidget* window) override {
    workAreaAskedFor.push_back(window);
    return workAreaRect;
  }

  int pumps = 0;
  std::function<void(int)> onPump;  // called with the pump's number, 1 for the first
  void pumpEvents() override {
    ++pumps;
    QCoreApplication::processEvents();
    if (onPump) onPump(pumps);
  }

  std::vector<int> sleeps;
  std::function<void()> onSleep;
  void sleepMs(int ms) override {
    sleeps.push_back(ms);
    if (onSleep) onSleep();
  }

  QStringList messages;
  void showMessage(QWidget*, const QString& text) override { messages << text; }

  std::optional<Colour> colourAnswer;  // nothing: the user cancels
  std::vector<Colour> colourRequests;  // the colour each chooser opened on
  std::optional<Colour> chooseColour(QWidget*, Colour initial) override {
    colourRequests.push_back(initial);
    return colourAnswer;
  }

  std::vector<QDialog*> modals;
  std::function<void(QDialog*)> onModal;  // runs while the dialog is "open"
  void execModal(QDialog* dialog) override {
    modals.push_back(dialog);
    dialog->show();
    if (onModal) onModal(dialog);
    dialog->hide();
  }

  // The file dialogs: what each opened on, and the answer (nothing: cancelled).
  QStringList openRequests, saveRequests;
  QStringList openFilters, saveFilters;
  std::optional<QString> openAnswer;
  std::optional<std::pair<QString, QString>> saveAnswer;  // path, filter
  std::optional<QString> chooseFileToOpen(QWidget*, const QString& folder,
                                          const QStringList& filters) override {
    openRequests << folder;
    openFilters = filters;
    return openAnswer;
  }
  std::optional<std::pair<QString, QString>> chooseFileToSave(QWidget*, const QString& suggested,
                                                              const QStringList& filters) override {
    saveRequests << suggested;
    saveFilters = filters;
    return saveAnswer;
  }

  // Whether the desktop places windows itself (Wayland, XWayland): the overlay goes full-screen.
  bool placesWindows = false;
  bool placesWindowsItself() override { return placesWindows; }

  // The screen in device pixels at a ratio of 1 (a plain white desktop when none is set);
  // grabFailure makes the grab fail with it.
  QImage screen;
  std::string grabFailure;
  std::vector<std::pair<const QWidget*, QRect>> grabs;
  QImage grabScreen(const QWidget* window, const QRect& area) override {
    grabs.emplace_back(window, area);
    if (!grabFailure.empty()) throw std::runtime_error(grabFailure);
    if (screen.isNull()) {
      QImage white(area.size(), QImage::Format_RGB32);
      white.fill(Qt::white);
      return white;
    }
    return screen.copy(area);
  }

  bool clipboardFails = false;
  std::optional<QImage> clipboard;             // what Copy put there; offered back as PNG
  std::optional<EncodedImage> clipboardBytes;  // offered instead of clipboard when set
  using Services::clipboardImageBytes;
  // Runs inside the first read from now, as the window's input would while the bytes come.
  std::function<void(const ClipboardWait&)> whileReading;
  int clipboardReads = 0;
  int abandonedReads = 0;
  std::optional<EncodedImage> clipboardImageBytes(const ClipboardWait& wait) override {
    ++clipboardReads;
    if (auto reading = std::exchange(whileReading, nullptr)) {
      const int abandoned = abandonedReads;
      reading(wait);
      if (abandonedReads > abandoned) return std::nullopt;
    }
    if (clipboardFails) throw std::runtime_error("Cannot open clipboard");
    if (clipboardBytes) return clipboardBytes;
    if (!clipboard || clipboard->isNull()) return std::nullopt;
    // What Copy put there comes back as the PNG it offered; a picture a test put there, as Qt
    // writes it.
    if (clipboard->cacheKey() == copiedKey) return EncodedImage{"image/png", copiedPng};
    return EncodedImage{"image/png", Encoded(*clipboard, "PNG")};
  }
  void abandonClipboardRead() override { ++abandonedReads; }
  void setClipboardImage(const QImage& image, const QByteArray& png) override {
    if (clipboardFails) throw std::runtime_error("Cannot open clipboard");
    clipboard = image;
    copiedKey = image.cacheKey();
    copiedPng = png;
  }
  qint64 copiedKey = -1;
  QByteArray copiedPng;

  bool noPrinter = false;
  std::vector<std::pair<QImage, double>> printed;
  void printImage(const QImage& image, double scale) override {
    if (noPrinter) throw std::runtime_error("There is no default printer currently selected");
    printed.emplace_back(image, scale);
  }

  int priorityRaised = 0;
  void raisePriority() override { ++priorityRaised; }
  void restorePriority() override { --priorityRaised; }

  std::function<std::optional<QCursor>(const QString&)> cursorLoader;
  QStringList cursorRequests;
  std::optional<QCursor> loadCursorFile(const QString& fileName) override {
    cursorRequests << fileName;
    if (cursorLoader) return cursorLoader(fileName);
    return QCursor(Qt::CrossCursor);
  }
};

}  // namespace huesift::test
