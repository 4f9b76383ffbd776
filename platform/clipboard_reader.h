// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMimeData>
#include <QObject>
#include <QProcess>
#include <QTimer>
#include <optional>
#include <string>

#include "platform/services.h"

namespace huesift {

// The X clipboard answers each request only when the owner does, and Qt waits up to 5 s per
// request with the user-interface thread stopped. So on X the program reads the clipboard
// in a short-lived copy of itself, started with this flag, which writes what it read to its
// standard output and is killed when it takes too long.
inline constexpr char kClipboardReaderFlag[] = "--internal-clipboard-reader";
// After kClipboardReaderFlag: a spare reader, started ahead of need, which sets itself up and
// then waits on its standard input for the word to read.
inline constexpr char kSpareReaderFlag[] = "--when-asked";

// main() hands over to this when started with the flag. The process ends as soon as its
// answer is written.
[[noreturn]] void RunClipboardReader(int argc, char** argv);

// How long a picture may take to come in all once the clipboard's owner has answered: a large
// picture on a slow link is still arriving, not unanswered.
inline constexpr int kClipboardTransferTimeoutMs = 30000;

// Of the formats a clipboard offers, the image format most likely to come back exact: PNG,
// then BMP, then any other that Qt reads; empty when none is offered.
QString BestImageFormat(const QStringList& formats);

// The image format of mime most likely to come back exact with its bytes; nothing when no
// image format is offered. Throws std::runtime_error when the bytes are more than a picture
// file may hold.
std::optional<EncodedImage> TakeImageBytes(const QMimeData& mime);

// What a failed clipboard read says, the same however the clipboard was read.
std::string TooLargeMessage();
std::string CannotOpenMessage();
std::string OwnerSilentMessage();  // the owner sent nothing for its time-out
std::string TransferTooSlowMessage(int totalMs);

// Reads the clipboard through reader processes while the event loop goes on (without user
// input). A spare reader, started ahead of need and already set up, answers faster than a
// fresh one: the X libraries and Qt's set-up cost more than the transfer of a large picture.
class ClipboardReaders : public QObject {
 public:
  ClipboardReaders();
  ~ClipboardReaders() override;

  // Starts a spare reader after delayMs unless one is waiting; called when the window has
  // nothing else to do, so that its start costs the user nothing.
  void startSpareLater(int delayMs);

  // The clipboard's picture, through the spare when one is waiting (the owner's time starts
  // when it is told to read), else through a fresh reader, as also when the spare fails. The
  // owner must answer within timeoutMs, and its picture then come within 30 s in all and hold
  // at most kMaxPictureFileBytes. Throws std::runtime_error on failure or time-out, saying
  // which.
  std::optional<EncodedImage> read(int timeoutMs);

 private:
  QProcess* newReader(bool spare);
  void retire(QProcess* reader);
  void startSpare();

  QTimer spareTimer_;
  QProcess* spare_ = nullptr;
};

}  // namespace huesift
