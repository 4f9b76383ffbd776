// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/clipboard_reader.h"

#include <unistd.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImageReader>
#include <QLoggingCategory>
#include <QProcess>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include "files/file_access.h"
#include "files/picture_file_io.h"

namespace huesift {
namespace {

// Off unless switched on (QT_LOGGING_RULES="huesift.clipboard.debug=true"): tells the
// end-to-end tests when a paste has read the clipboard and through which reader, which they
// cannot see from the processes alone, a spare being always there.
Q_LOGGING_CATEGORY(lcClipboard, "huesift.clipboard", QtInfoMsg)

// The reader's exit status when the clipboard cannot be reached at all, and when its
// picture is larger than a picture file may be.
constexpr int kCannotOpen = 3;
constexpr int kTooLarge = 4;

// What a spare writes first when told to read, before it asks the clipboard's owner.
constexpr char kSpareAlive = '+';

}  // namespace

QString BestImageFormat(const QStringList& formats) {
  const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
  QString best;
  int bestRank = 3;
  for (const QString& format : formats) {
    if (!format.startsWith("image/") || !readable.contains(format.toLatin1())) continue;
    const int rank = format == "image/png" ? 0 : format == "image/bmp" ? 1 : 2;
    if (best.isEmpty() || rank < bestRank) {
      best = format;
      bestRank = rank;
    }
  }
  return best;
}

std::string TooLargeMessage() {
  return QCoreApplication::translate("huesift::Clipboard",
                                     "The clipboard's picture is larger than %1 MiB, too large to "
                                     "paste")
      .arg(kMaxPictureFileBytes >> 20)
      .toStdString();
}

std::string CannotOpenMessage() {
  return QCoreApplication::translate("huesift::Clipboard", "Cannot open clipboard").toStdString();
}

std::string OwnerSilentMessage() {
  return QCoreApplication::translate("huesift::Clipboard",
                                     "The program that holds the clipboard did not answer")
      .toStdString();
}

std::string TransferTooSlowMessage(int totalMs) {
  return QCoreApplication::translate("huesift::Clipboard",
                                     "The clipboard's picture did not come within %1 s: it "
                                     "is too large or comes too slowly")
      .arg(totalMs / 1000)
      .toStdString();
}

std::optional<EncodedImage> TakeImageBytes(const QMimeData& mime) {
  const QString best = BestImageFormat(mime.formats());
  if (best.isEmpty()) return std::nullopt;
  QByteArray bytes = mime.data(best);
  if (bytes.size() > kMaxPictureFileBytes) throw std::runtime_error(TooLargeMessage());
  return EncodedImage{best, std::move(bytes)};
}

namespace {

// What the reader does once it may read: the clipboard's best image format and its bytes
// to standard output. Returns the exit status.
int ReadClipboardToOutput() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* mime = clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
  if (!mime) return kCannotOpen;
  // One line with the format (empty: no image) as soon as the owner has listed its formats,
  // so the waiting program knows it answered; then, once they have all come, a line with
  // the number of bytes and the bytes as they came.
  const QString best = BestImageFormat(mime->formats());
  if (!WriteDescriptorBytes(STDOUT_FILENO, best.toLatin1() + '\n').isEmpty()) return 1;
  if (best.isEmpty()) return 0;
  const QByteArray bytes = mime->data(best);
  if (bytes.size() > kMaxPictureFileBytes) return kTooLarge;
  const QByteArray size = QByteArray::number(bytes.size()) + '\n';
  if (!WriteDescriptorBytes(STDOUT_FILENO, size).isEmpty()) return 1;
  return WriteDescriptorBytes(STDOUT_FILENO, bytes).isEmpty() ? 0 : 1;
}

}  // namespace

void RunClipboardReader(int argc, char** argv) {
  const bool spare = argc > 2 && std::strcmp(argv[2], kSpareReaderFlag) == 0;
  QGuiApplication app(argc, argv);
  if (spare) {
    // The image plug-ins are looked up ahead too; which formats Qt reads does not change.
    QImageReader::supportedMimeTypes();
    // Set up and waiting: one byte on standard input says go, its end says the program has
    // gone and nothing will be read.
    char go = 0;
    ssize_t n;
    while ((n = ::read(STDIN_FILENO, &go, 1)) < 0 && errno == EINTR) {
    }
    if (n != 1) ::_exit(0);
    // Told at once that the spare is alive: one that cannot say so (stopped, stuck) is
    // replaced by a fresh reader without the owner of the clipboard being blamed.
    if (!WriteDescriptorBytes(STDOUT_FILENO, QByteArray(1, kSpareAlive)).isEmpty()) ::_exit(1);
    // What changed on the display while it waited, the clipboard's owner among it, is taken
    // in first: the clipboard is read as it is now, not as it was when the spare started.
    QCoreApplication::processEvents();
  }
  // Everything the waiting program needs is written by now; Qt's teardown would only keep
  // it waiting for the end of this process.
  ::_exit(ReadClipboardToOutput());
}

namespace {

// A reader ended without an answer of its own making: it did not start, crashed, could not
// reach the clipboard or wrote what cannot be read. Said to the user as "Cannot open
// clipboard"; a spare that fails so is replaced by a fresh reader first.
class ReaderFailed : public std::runtime_error {
 public:
  ReaderFailed() : std::runtime_error(CannotOpenMessage()) {}
};

// A spare that stays silent this long after it was told to read is taken for hung.
constexpr int kSpareAnswersMs = 1000;

// Waits for reader's answer while the event loop goes on (without user input); go: tell a
// spare to read first, which says kSpareAlive before anything else. The owner must answer within
// timeoutMs, its picture then come within kClipboardTransferTimeoutMs in all and hold at most
// kMaxPictureFileBytes. A reader still running afterwards has been killed unless its whole answer
// came.
std::optional<EncodedImage> Await(QProcess& reader, int timeoutMs, bool go) {
  // The bytes come into one array of their announced size, never more than a picture file
  // may hold.
  QByteArray output;
  qsizetype headEnd = -1;  // the end of the format's line and, once known, of the size's
  qsizetype sizeEnd = -1;
  qsizetype answerEnd = -1;  // known once the size is: where the last announced byte ends
  bool tooLarge = false;
  bool silent = go;  // a spare that has not said it is alive
  bool garbled = false;
  QEventLoop loop;
  auto take = [&] {
    output += reader.readAllStandardOutput();
    if (silent && !output.isEmpty()) {
      garbled = output[0] != kSpareAlive;
      output.remove(0, 1);
      silent = false;
    }
    if (headEnd < 0) headEnd = output.indexOf('\n');
    if (headEnd == 0) answerEnd = 1;  // no image: the empty format is the whole answer
    if (headEnd > 0 && sizeEnd < 0 && (sizeEnd = output.indexOf('\n', headEnd + 1)) >= 0) {
      const qint64 size = output.mid(headEnd + 1, sizeEnd - headEnd - 1).toLongLong();
      if (size >= 0 && size <= kMaxPictureFileBytes) {
        output.reserve(sizeEnd + 1 + size);
        answerEnd = sizeEnd + 1 + size;
      }
    }
  };
  const auto complete = [&] { return answerEnd >= 0 && output.size() >= answerEnd; };
  QObject::connect(&reader, &QProcess::readyReadStandardOutput, &loop, [&] {
    take();
    // The reader ends on its own once it has written; nothing more is waited for.
    if (complete()) loop.quit();
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
    if (headEnd >= 0 && !extended && kClipboardTransferTimeoutMs > timeoutMs) {
      extended = true;
      deadline.start(kClipboardTransferTimeoutMs - timeoutMs);
      return;
    }
    loop.quit();
  });

  QTimer spareAnswers;
  spareAnswers.setSingleShot(true);
  QObject::connect(&spareAnswers, &QTimer::timeout, &loop, [&] {
    if (silent) loop.quit();
  });
  if (go) {
    reader.write("\n", 1);
    spareAnswers.start(kSpareAnswersMs);
  }
  deadline.start(timeoutMs);
  // Painting and the clipboard's own traffic go on meanwhile; clicks wait until it is over.
  if (reader.state() != QProcess::NotRunning || reader.bytesAvailable() > 0)
    loop.exec(QEventLoop::ExcludeUserInputEvents);

  if (!complete() && reader.state() != QProcess::NotRunning) {
    reader.kill();
    reader.waitForFinished(1000);
    if (silent || garbled) throw ReaderFailed();
    if (tooLarge) throw std::runtime_error(TooLargeMessage());
    if (headEnd < 0) throw std::runtime_error(OwnerSilentMessage());
    throw std::runtime_error(TransferTooSlowMessage(kClipboardTransferTimeoutMs));
  }
  if (!complete()) {
    // It ended before its answer was whole: the rest, if any, and why it ended.
    take();
    if (reader.exitStatus() == QProcess::NormalExit && reader.exitCode() == kTooLarge)
      throw std::runtime_error(TooLargeMessage());
    if (reader.error() == QProcess::FailedToStart || reader.exitStatus() != QProcess::NormalExit ||
        reader.exitCode() != 0)
      throw ReaderFailed();
  }
  if (headEnd < 0 || garbled) throw ReaderFailed();
  if (headEnd == 0) return std::nullopt;
  // Exactly the announced bytes, no fewer and no more.
  if (output.size() != answerEnd) throw ReaderFailed();
  const QString format = QString::fromLatin1(output.left(headEnd));
  output.remove(0, sizeEnd + 1);  // in place: a large picture is not held twice
  return EncodedImage{format, std::move(output)};
}

}  // namespace

ClipboardReaders::ClipboardReaders() {
  spareTimer_.setSingleShot(true);
  QObject::connect(&spareTimer_, &QTimer::timeout, this, [this] { startSpare(); });
}

ClipboardReaders::~ClipboardReaders() {
  // The program is ending and no reader has anything left to give it. A spare ends when its
  // input closes, but only once it is set up and reads it, which on a busy desktop took a
  // second after the window had gone: each is killed instead, and reaped at once.
  for (QProcess* reader : findChildren<QProcess*>()) {
    reader->kill();
    reader->waitForFinished(1000);
  }
}

QProcess* ClipboardReaders::newReader(bool spare) {
  auto* reader = new QProcess(this);
  reader->setProgram(QCoreApplication::applicationFilePath());
  QStringList arguments{QString::fromLatin1(kClipboardReaderFlag)};
  if (spare) arguments << QString::fromLatin1(kSpareReaderFlag);
  reader->setArguments(arguments);
  reader->setStandardErrorFile(QProcess::nullDevice());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", QGuiApplication::platformName());
  // Not a client of the desktop's session manager: a spare lives as long as the program and
  // would be listed, and saved, as a program of its own.
  environment.remove("SESSION_MANAGER");
  reader->setProcessEnvironment(environment);
  reader->start();
  return reader;
}

void ClipboardReaders::retire(QProcess* reader) {
  if (!reader) return;
  if (reader->state() == QProcess::NotRunning) {
    delete reader;
    return;
  }
  // Ending by itself, its answer whole: reaped when it has, without waiting for it here.
  reader->closeWriteChannel();
  QObject::connect(reader, &QProcess::finished, reader, &QObject::deleteLater);
}

void ClipboardReaders::startSpareLater(int delayMs) {
  spareTimer_.start(delayMs);
}

void ClipboardReaders::startSpare() {
  if (spare_ && spare_->state() != QProcess::NotRunning) return;
  delete std::exchange(spare_, nullptr);
  spare_ = newReader(true);
}

std::optional<EncodedImage> ClipboardReaders::read(int timeoutMs) {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  // The cursor back, and in the log (when switched on) which reader answered, however the
  // reading ended.
  struct Finish {
    const char* by = "a new reader";
    ~Finish() {
      QGuiApplication::restoreOverrideCursor();
      qCDebug(lcClipboard).nospace() << "read by " << by;
    }
  } finish;
  // A spare is used once; the next one starts when the window is idle again.
  spareTimer_.stop();
  if (QProcess* spare = std::exchange(spare_, nullptr);
      spare && spare->state() != QProcess::NotRunning) {
    try {
      finish.by = "the spare";
      std::optional<EncodedImage> answer = Await(*spare, timeoutMs, true);
      retire(spare);
      return answer;
    } catch (const ReaderFailed&) {
      // A spare that died or could not reach the display; a fresh reader may still.
      retire(spare);
      finish.by = "a new reader after the spare failed";
    } catch (...) {
      retire(spare);
      throw;
    }
  } else {
    delete spare;
  }
  QProcess* reader = newReader(false);
  try {
    std::optional<EncodedImage> answer = Await(*reader, timeoutMs, false);
    retire(reader);
    return answer;
  } catch (...) {
    retire(reader);
    throw;
  }
}

}  // namespace huesift
