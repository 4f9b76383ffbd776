// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/batch_mode.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/process.h"
#include "engine/working_state.h"
#include "platform/picture_file_io.h"

namespace huesift {

namespace {

struct Job {
  QString input;
  QString output;
};

// One line per failure and, on a terminal, a progress line kept below them.
class Reporter {
 public:
  Reporter(std::FILE* out, int total)
      : out_(out), total_(total), progress_(total > 1 && isatty(fileno(out))) {}

  void failed(const QString& file, const QString& reason) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (progress_) std::fputs("\r\033[K", out_);
    std::fprintf(out_, "huesift: %s: %s\n", qPrintable(file), qPrintable(reason));
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

}  // namespace

void ProcessLikeTheWindow(Picture& picture, const CommandLine& options) {
  // The retained list as the window would hold these colours: one to a slot, in order.
  ColourTable retained;
  ClearColorTable(retained);
  std::copy_n(options.keep.begin(), std::min<std::size_t>(options.keep.size(), kMaxColors),
              retained.begin());
  const ProcessPass pass = options.whiteTo   ? ProcessPass::White
                           : options.reverse ? ProcessPass::Reverse
                                             : ProcessPass::Strip;
  const Colour processColor = options.convert.value_or(options.whiteTo.value_or(kBlack));
  ProcessWholePicture(pass, picture, retained, options.convert.has_value(), processColor);
}

int RunBatch(const CommandLine& line, std::FILE* messages) {
  std::vector<Job> jobs;
  for (const std::string& file : line.files) {
    const QString input = QString::fromLocal8Bit(file.c_str());
    QString output = QString::fromLocal8Bit(line.output.c_str());
    if (output.isEmpty()) {
      output = QDir(QString::fromLocal8Bit(line.outputDir.c_str()))
                   .filePath(QFileInfo(input).completeBaseName() + ".png");
    }
    jobs.push_back({input, output});
  }

  // Two inputs that would land on one output would have the later silently replace the
  // earlier; that is a mistake in the command, found before any work is done.
  std::map<QString, QString> outputs;
  for (const Job& job : jobs) {
    const QString key = QFileInfo(job.output).absoluteFilePath();
    const auto [it, fresh] = outputs.emplace(key, job.input);
    if (!fresh) {
      const QString what =
          QCoreApplication::translate("huesift::BatchMode", "%1 and %2 would both be written to %3")
              .arg(it->second, job.input, job.output);
      std::fputs(UsageErrorMessage(what.toLocal8Bit().toStdString()).c_str(), messages);
      return 2;
    }
  }
  if (!line.outputDir.empty()) {
    const QString dir = QString::fromLocal8Bit(line.outputDir.c_str());
    if (!QDir().mkpath(dir)) {
      std::fprintf(messages, "huesift: %s\n",
                   qPrintable(QCoreApplication::translate("huesift::BatchMode",
                                                          "cannot create the folder %1")
                                  .arg(dir)));
      return 1;
    }
  }

  Reporter reporter(messages, static_cast<int>(jobs.size()));
  std::atomic<std::size_t> next{0};
  std::atomic<bool> anyFailed{false};
  auto work = [&] {
    for (std::size_t i = next++; i < jobs.size(); i = next++) {
      const Job& job = jobs[i];
      QString reason;
      if (std::optional<Picture> picture = ReadPictureFile(job.input, reason)) {
        ProcessLikeTheWindow(*picture, line);
        // Written beside the target and renamed over it only when complete, so an
        // interrupted run never leaves a half-written picture under the final name.
        reason = WritePictureFile(CompactImage(*picture), job.output, "png");
        if (!reason.isEmpty())
          reason = QCoreApplication::translate("huesift::BatchMode", "cannot write %1: %2")
                       .arg(job.output, reason);
      }
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
