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

namespace huesift {
namespace {

// The reader's exit status when the clipboard cannot be reached at all.
constexpr int kCannotOpen = 3;

bool WriteAll(int fd, const char* data, qint64 size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
    if (n <= 0) return false;
    data += n;
    size -= n;
  }
  return true;
}

}  // namespace

std::optional<EncodedImage> TakeImageBytes(const QMimeData& mime) {
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
  if (best.isEmpty()) return std::nullopt;
  return EncodedImage{best, mime.data(best)};
}

int RunClipboardReader(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* mime = clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
  if (!mime) return kCannotOpen;
  // One line with the format (empty: no image), then the bytes as they came.
  const std::optional<EncodedImage> taken = TakeImageBytes(*mime);
  const QByteArray head = (taken ? taken->mimeType.toLatin1() : QByteArray()) + '\n';
  if (!WriteAll(STDOUT_FILENO, head.constData(), head.size())) return 1;
  if (taken && !WriteAll(STDOUT_FILENO, taken->bytes.constData(), taken->bytes.size())) return 1;
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

  QByteArray output;
  QEventLoop loop;
  QObject::connect(&reader, &QProcess::readyReadStandardOutput, &loop,
                   [&] { output += reader.readAllStandardOutput(); });
  QObject::connect(&reader, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&reader, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) loop.quit();
  });
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);

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
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Clipboard",
                                    "The program that holds the clipboard did not answer")
            .toStdString());
  }
  output += reader.readAllStandardOutput();
  if (reader.error() == QProcess::FailedToStart || reader.exitStatus() != QProcess::NormalExit ||
      reader.exitCode() != 0)
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Clipboard", "Cannot open clipboard").toStdString());
  const qsizetype lineEnd = output.indexOf('\n');
  if (lineEnd < 0)
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Clipboard", "Cannot open clipboard").toStdString());
  if (lineEnd == 0) return std::nullopt;
  return EncodedImage{QString::fromLatin1(output.left(lineEnd)), output.mid(lineEnd + 1)};
}

}  // namespace huesift
