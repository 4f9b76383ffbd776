// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/batch_mode.h"

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli/memory_budget.h"
#include "engine/process.h"
#include "engine/working_state.h"
#include "files/decode_picture.h"
#include "files/picture_file_io.h"

namespace huesift {

namespace {

// Names are bytes as the shell gave them, never converted, so that any name that exists is
// found and an output is written under exactly the name given.
struct Job {
  std::string input;   // "-": standard input
  std::string output;  // "-": standard output
};

constexpr char kStandardStream[] = "-";

// The name as it can stand in a message line: as given when it is printable UTF-8 without
// quotes, else in the shell's $'...' form, so that no name can split or fake a line.
std::string Quoted(const std::string& name) {
  const QByteArray bytes = QByteArray::fromStdString(name);
  const QString text = QString::fromUtf8(bytes);
  bool plain = !name.empty() && text.toUtf8() == bytes;
  for (const QChar c : text) {
    if (!c.isPrint() || c == '\'' || c == '\\') plain = false;
  }
  if (plain) return name;
  std::string quoted = "$'";
  for (const unsigned char c : name) {
    static const char kHex[] = "0123456789abcdef";
    if (c == '\n') {
      quoted += "\\n";
    } else if (c == '\t') {
      quoted += "\\t";
    } else if (c == '\'' || c == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      quoted += "\\x";
      quoted += kHex[c >> 4];
      quoted += kHex[c & 15];
    } else {
      quoted += static_cast<char>(c);
    }
  }
  return quoted + "'";
}

// The name of the PNG that --out-dir writes for an input: its last path element without
// the last extension, as QFileInfo::completeBaseName would give it.
std::string OutputName(const std::string& input) {
  std::string name = input.substr(input.find_last_of('/') + 1);
  if (const std::size_t dot = name.find_last_of('.'); dot != std::string::npos) name.resize(dot);
  return name + ".png";
}

// One line per failure and, on a terminal, a progress line kept below them.
class Reporter {
 public:
  Reporter(std::FILE* out, int total)
      : out_(out), total_(total), progress_(total > 1 && isatty(fileno(out))) {}

  void failed(const std::string& file, const QString& reason) {
    // A reason never holds a line break of its own (a library's message might).
    const QByteArray text = reason.simplified().toUtf8();
    const std::lock_guard<std::mutex> lock(mutex_);
    if (progress_) std::fputs("\r\033[K", out_);
    std::fprintf(out_, "huesift: %s: %s\n", Quoted(file).c_str(), text.constData());
    showProgress();
  }
  void finished() {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++done_;
    showProgress();
    if (progress_ && done_ == total_) std::fputs("\n", out_);
  }

 private:
  void showProgress() {
    if (!progress_) return;
    std::fprintf(out_, "\rhuesift: %s",
                 qPrintable(QCoreApplication::translate("huesift::BatchMode", "%1 of %2 pictures")
                                .arg(done_)
                                .arg(total_)));
    std::fflush(out_);
  }

  std::FILE* out_;
  std::mutex mutex_;
  int total_;
  int done_ = 0;
  bool progress_;
};

// Why the command cannot be run as given, found before any work: two inputs that would land
// on one output (the later would silently replace the earlier), or an output that is one of
// the inputs (the result would replace its own picture, or another's). Empty when it can.
QString CommandMistake(const std::vector<Job>& jobs) {
  std::map<std::string, const Job*> outputs;
  for (const Job& job : jobs) {
    const auto [it, fresh] = outputs.emplace(job.output, &job);
    if (!fresh) {
      return QCoreApplication::translate("huesift::BatchMode",
                                         "%1 and %2 would both be written to %3")
          .arg(QString::fromStdString(Quoted(it->second->input)),
               QString::fromStdString(Quoted(job.input)),
               QString::fromStdString(Quoted(job.output)));
    }
  }
  // Files compared as the system knows them, so hard links and symbolic links are found too.
  auto identity = [](const std::string& name, int standardStream) {
    return name == kStandardStream ? IdentityOfDescriptor(standardStream)
                                   : IdentityOf(QByteArray::fromStdString(name));
  };
  std::vector<std::pair<FileIdentity, const std::string*>> inputs;
  for (const Job& job : jobs) {
    if (const std::optional<FileIdentity> id = identity(job.input, STDIN_FILENO))
      inputs.emplace_back(*id, &job.input);
  }
  for (const Job& job : jobs) {
    const std::optional<FileIdentity> id = identity(job.output, STDOUT_FILENO);
    if (!id) continue;
    for (const auto& [input, name] : inputs) {
      if (input == *id) {
        const QString output =
            job.output == kStandardStream
                ? QCoreApplication::translate("huesift::BatchMode", "standard output")
                : QString::fromStdString(Quoted(job.output));
        return QCoreApplication::translate("huesift::BatchMode",
                                           "%1 is the input %2; the result would replace it")
            .arg(output, QString::fromStdString(Quoted(*name)));
      }
    }
  }
  return {};
}

QString WriteOutput(const Picture& picture, const Job& job, bool outputDir);

// The bytes of an input, standard input for "-", a FIFO read to its end.
std::optional<QByteArray> ReadInput(const std::string& input, QString& reason) {
  if (input != kStandardStream)
    return ReadFileBytes(QByteArray::fromStdString(input), Streams::Read, kMaxPictureFileBytes,
                         reason);
  if (isatty(STDIN_FILENO)) {
    reason = QCoreApplication::translate("huesift::BatchMode", "standard input is a terminal");
    return std::nullopt;
  }
  return ReadDescriptorBytes(STDIN_FILENO, kMaxPictureFileBytes, reason);
}

constexpr qint64 kKeptRasterBytes = qint64{64} * 1024 * 1024;

// One input read, processed and written, within its share of the memory budget. raster is
// the thread's own, reused from picture to picture: decoded into directly, it is allocated
// and first touched once rather than for every picture.
QString ProcessOne(const Job& job, const CommandLine& line, MemoryBudget::Share& share,
                   Picture& raster) {
  share.take(job.input == kStandardStream ? 0 : SizeOfFile(QByteArray::fromStdString(job.input)));
  QString reason;
  std::optional<QByteArray> bytes = ReadInput(job.input, reason);
  if (!bytes) return reason;
  // The picture's size as its header gives it (one too large is refused without decoding);
  // where it gives none, the largest taken.
  const PictureProbe probe = ProbePicture(*bytes);
  const QSize announced = probe.announced;
  share.take(!announced.isValid()            ? DecodeShare(kLargestRasterBytes / 4, 1)
             : TooLargeForPicture(announced) ? 0
                                             : DecodeShare(announced.width(), announced.height()));
  const bool decoded = DecodePictureFileBytesInto(*bytes, probe, raster, reason,
                                                  QByteArray::fromStdString(job.input));
  bytes.reset();
  if (!decoded) return reason;
  ProcessLikeTheWindow(raster, line);
  return WriteOutput(raster, job, !line.outputDir.empty());
}

QString WriteOutput(const Picture& picture, const Job& job, bool outputDir) {
  QString reason;
  if (job.output == kStandardStream) {
    const QByteArray png = EncodePicture(picture, "png", reason);
    if (reason.isEmpty()) reason = WriteStandardOutput(png);
  } else {
    // Written beside the target and renamed over it only when complete, so an interrupted
    // run never leaves a half-written picture under the final name. A link in the output
    // folder is replaced, never followed out of it; -o names its file, links and all.
    reason = WritePictureFile(picture, QByteArray::fromStdString(job.output), "png",
                              outputDir ? Links::Replace : Links::Follow);
  }
  return reason.isEmpty() ? reason
                          : QCoreApplication::translate("huesift::BatchMode", "cannot write %1: %2")
                                .arg(QString::fromStdString(Quoted(job.output)), reason);
}

}  // namespace

void ProcessLikeTheWindow(Picture& picture, const CommandLine& options) {
  // The retained list as the window would hold these colours: one to a slot, in order.
  ColourTable retained;
  ClearColourTable(retained);
  std::copy_n(options.keep.begin(), std::min<std::size_t>(options.keep.size(), kMaxColours),
              retained.begin());
  const ProcessPass pass = options.whiteTo   ? ProcessPass::White
                           : options.reverse ? ProcessPass::Reverse
                                             : ProcessPass::Strip;
  const Colour processColor = options.convert.value_or(options.whiteTo.value_or(kBlack));
  ProcessWholePicture(pass, picture, retained, options.convert.has_value(), processColor,
                      options.similarDistance);
}

namespace {

// An interrupted run (Ctrl+C, a kill, the terminal closing) takes the files it was writing
// with it, then ends as the signal would have ended it.
void RemoveUnfinishedAndEnd(int signal) {
  RemoveUnfinishedFiles();
  ::raise(signal);  // the handler was reset on entry: this one ends the process
}

void RemoveUnfinishedOnSignals() {
  struct sigaction action {};
  action.sa_handler = RemoveUnfinishedAndEnd;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) ::sigaction(signal, &action, nullptr);
}

}  // namespace

int RunBatch(const CommandLine& line, std::FILE* messages) {
  const bool outputDir = !line.outputDir.empty();
  std::vector<Job> jobs;
  for (const std::string& file : line.files) {
    std::string output = line.output;
    if (outputDir) {
      output = line.outputDir;
      if (output.back() != '/') output += '/';
      output += OutputName(file);
    }
    jobs.push_back({file, output});
  }
  if (const QString mistake = CommandMistake(jobs); !mistake.isEmpty()) {
    std::fputs(UsageErrorMessage(mistake.toLocal8Bit().toStdString()).c_str(), messages);
    return 2;
  }
  if (outputDir) {
    const QString reason = MakeFolders(QByteArray::fromStdString(line.outputDir));
    if (!reason.isEmpty()) {
      std::fprintf(messages, "huesift: %s\n",
                   qPrintable(QCoreApplication::translate("huesift::BatchMode",
                                                          "cannot create the folder %1: %2")
                                  .arg(QString::fromStdString(Quoted(line.outputDir)), reason)));
      return 1;
    }
  }

  RemoveUnfinishedOnSignals();
  // What a killed run (SIGKILL cannot be caught) left where this one writes.
  if (outputDir) {
    RemoveStaleTemporaryFiles(QByteArray::fromStdString(line.outputDir));
  } else if (line.output != "-") {
    RemoveStaleTemporaryFiles(
        QFile::encodeName(QFileInfo(QFile::decodeName(line.output.c_str())).path()));
  }

  Reporter reporter(messages, static_cast<int>(jobs.size()));
  MemoryBudget budget(MemoryBudget::HalfOfPhysicalMemory());
  std::atomic<std::size_t> next{0};
  std::atomic<bool> anyFailed{false};
  auto work = [&] {
    Picture raster;
    for (std::size_t i = next++; i < jobs.size(); i = next++) {
      const Job& job = jobs[i];
      QString reason;
      {
        MemoryBudget::Share share(budget, i);
        reason = ProcessOne(job, line, share, raster);
      }
      // Kept for the next picture only while it is of an ordinary size, so the memory held
      // beyond the budget's shares stays small: 64 MiB a thread at most.
      if (static_cast<qint64>(raster.width()) * raster.height() * 4 > kKeptRasterBytes)
        raster = Picture();
      if (!reason.isEmpty()) {
        anyFailed = true;
        reporter.failed(job.input, reason);
      }
      reporter.finished();
    }
  };
  // Pictures are independent, so each core takes the next one as it comes free.
  const std::size_t threads =
      std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, jobs.size());
  std::vector<std::thread> pool;
  for (std::size_t t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  return anyFailed ? 1 : 0;
}

}  // namespace huesift
