// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/clipboard_reader.h"

#include <unistd.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImageReader>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "platform/picture_file_io.h"

namespace huesift {
namespace {

// The reader's exit status when the clipboard cannot be reached at all, and when its
// picture is larger than a picture file may be.
constexpr int kCannotOpen = 3;
constexpr int kTooLarge = 4;

// How long a transfer may take in all once the clipboard's owner has answered (its list of
// formats came): a large picture on a slow link is still arriving, not unanswered.
constexpr int kTransferTimeoutMs = 30000;

// The image format of mime most likely to come back exact: PNG, then BMP, then any other
// that Qt reads; empty when none is offered. Asks the owner for its formats only.
QString BestImageFormat(const QMimeData& mime) {
  const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
  QString best;
  int bestRank = 3;
  for (const QString& format : mime.formats()) {
    if (!format.startsWith("image/") || !readable.contains(format.toLatin1())) continue;
    const int rank = format == "image/png" ? 0 : format == "image/bmp" ? 1 : 2;
    if (best.isEmpty() || rank < bestRank) {
      best = format;
      bestRank = rank;
    }
  }
  return best;
}

bool WriteAll(int fd, const char* data, qint64 size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
    if (n <= 0) return false;
    data += n;
    size -= n;
  }
  return true;
}

std::string TooLargeMessage() {
  return QCoreApplication::translate("huesift::Clipboard",
                                     "The clipboard's picture is larger than %1 MiB, too large to "
                                     "paste")
      .arg(kMaxPictureFileBytes >> 20)
      .toStdString();
}

std::string CannotOpen() {
  return QCoreApplication::translate("huesift::Clipboard", "Cannot open clipboard").toStdString();
}

}  // namespace

std::optional<EncodedImage> TakeImageBytes(const QMimeData& mime) {
  const QString best = BestImageFormat(mime);
  if (best.isEmpty()) return std::nullopt;
  QByteArray bytes = mime.data(best);
  if (bytes.size() > kMaxPictureFileBytes) throw std::runtime_error(TooLargeMessage());
  return EncodedImage{best, std::move(bytes)};
}

int RunClipboardReader(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* mime = clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
  if (!mime) return kCannotOpen;
  // One line with the format (empty: no image) as soon as the owner has listed its formats,
  // so the waiting program knows it answered; then, once they have all come, a line with
  // the number of bytes and the bytes as they came.
  const QString best = BestImageFormat(*mime);
  const QByteArray head = best.toLatin1() + '\n';
  if (!WriteAll(STDOUT_FILENO, head.constData(), head.size())) return 1;
  if (best.isEmpty()) return 0;
  const QByteArray bytes = mime->data(best);
  if (bytes.size() > kMaxPictureFileBytes) return kTooLarge;
  const QByteArray size = QByteArray::number(bytes.size()) + '\n';
  if (!WriteAll(STDOUT_FILENO, size.constData(), size.size())) return 1;
  if (!WriteAll(STDOUT_FILENO, bytes.constData(), bytes.size())) return 1;
  return 0;
}

std::optional<EncodedImage> ReadClipboardInReaderProcess(int timeoutMs) {
  QProcess reader;
  reader.setProgram(QCoreApplication::applicationFilePath());
  reader.setArguments({QString::fromLatin1(kClipboardReaderFlag)});
  reader.setStandardErrorFile(QProcess::nullDevice());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", QGuiApplication::platformName());
  reader.setProcessEnvironment(environment);

  // The bytes come into one array of their announced size, never more than a picture file
  // may hold.
  QByteArray output;
  qsizetype headEnd = -1;  // the end of the format's line and, once known, of the size's
  qsizetype sizeEnd = -1;
  bool tooLarge = false;
  QEventLoop loop;
  QObject::connect(&reader, &QProcess::readyReadStandardOutput, &loop, [&] {
    output += reader.readAllStandardOutput();
    if (headEnd < 0) headEnd = output.indexOf('\n');
    if (headEnd >= 0 && sizeEnd < 0 && (sizeEnd = output.indexOf('\n', headEnd + 1)) >= 0) {
      const qint64 size = output.mid(headEnd + 1, sizeEnd - headEnd - 1).toLongLong();
      if (size >= 0 && size <= kMaxPictureFileBytes) output.reserve(sizeEnd + 1 + size);
    }
    if (output.size() > kMaxPictureFileBytes + 256) {
      tooLarge = true;
      loop.quit();
    }
  });
  QObject::connect(&reader, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&reader, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) loop.quit();
  });
  // The owner must answer within timeoutMs; once it has, the picture may take longer.
  QTimer deadline;
  deadline.setSingleShot(true);
  bool extended = false;
  QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
    if (headEnd >= 0 && !extended && kTransferTimeoutMs > timeoutMs) {
      extended = true;
      deadline.start(kTransferTimeoutMs - timeoutMs);
      return;
    }
    loop.quit();
  });

  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  reader.start();
  deadline.start(timeoutMs);
  // Painting and the clipboard's own traffic go on meanwhile; clicks wait until it is over.
  if (reader.state() != QProcess::NotRunning || reader.bytesAvailable() > 0)
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  QGuiApplication::restoreOverrideCursor();

  if (reader.state() != QProcess::NotRunning) {
    reader.kill();
    reader.waitForFinished(1000);
    if (tooLarge) throw std::runtime_error(TooLargeMessage());
    if (headEnd < 0)
      throw std::runtime_error(
          QCoreApplication::translate("huesift::Clipboard",
                                      "The program that holds the clipboard did not answer")
              .toStdString());
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Clipboard",
                                    "The clipboard's picture did not come within %1 s: it "
                                    "is too large or comes too slowly")
            .arg(kTransferTimeoutMs / 1000)
            .toStdString());
  }
  output += reader.readAllStandardOutput();
  if (reader.exitStatus() == QProcess::NormalExit && reader.exitCode() == kTooLarge)
    throw std::runtime_error(TooLargeMessage());
  if (reader.error() == QProcess::FailedToStart || reader.exitStatus() != QProcess::NormalExit ||
      reader.exitCode() != 0)
    throw std::runtime_error(CannotOpen());
  headEnd = output.indexOf('\n');
  if (headEnd < 0) throw std::runtime_error(CannotOpen());
  if (headEnd == 0) return std::nullopt;
  sizeEnd = output.indexOf('\n', headEnd + 1);
  if (sizeEnd < 0 ||
      output.mid(headEnd + 1, sizeEnd - headEnd - 1).toLongLong() != output.size() - sizeEnd - 1)
    throw std::runtime_error(CannotOpen());
  const QString format = QString::fromLatin1(output.left(headEnd));
  output.remove(0, sizeEnd + 1);  // in place: a large picture is not held twice
  return EncodedImage{format, std::move(output)};
}

}  // namespace huesift
