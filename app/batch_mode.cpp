#include "app/batch_mode.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/process.h"
#include "engine/working_state.h"
#include "io/image_convert.h"
#include "platform/image_decode.h"

namespace huesift {

namespace {

struct Job {
  QString input;
  QString output;
};

// Reads a picture file completely, by the rules a pasted picture follows, or says why not.
std::optional<Picture> LoadPicture(const QString& path, QString& reason) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    reason = file.errorString();
    return std::nullopt;
  }
  const DecodedImage decoded = DecodeImageCompletely(file.readAll());
  switch (decoded.result) {
    case DecodedImage::Result::Complete:
      return PictureFromImage(decoded.image);
    case DecodedImage::Result::TooLarge:
      reason = QString("the picture is %1 x %2 pixels, too large")
                   .arg(decoded.size.width())
                   .arg(decoded.size.height());
      return std::nullopt;
    case DecodedImage::Result::Refused:
      break;
  }
  reason = "not a picture in a format Huesift reads, or damaged";
  return std::nullopt;
}

QString WritePng(const QImage& image, const QString& path) {
  // Written beside the target and renamed over it only when complete, so an interrupted run
  // never leaves a half-written picture under the final name.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  QImageWriter writer(&file, "png");
  if (!writer.write(image)) {
    file.cancelWriting();
    return writer.errorString();
  }
  if (!file.commit()) return file.errorString();
  return {};
}

// One line per failure and, on a terminal, a progress line kept below them.
class Reporter {
 public:
  Reporter(std::FILE* out, int total)
      : out_(out), total_(total), progress_(total > 1 && isatty(fileno(out))) {}

  void failed(const QString& file, const QString& reason) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (progress_) std::fputs("\r\033[K", out_);
    std::fprintf(out_, "%s: %s\n", qPrintable(file), qPrintable(reason));
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
    std::fprintf(out_, "\rhuesift: %d of %d pictures", done_, total_);
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
  if (picture.height() < 1) return;
  WorkingState state;
  std::vector<std::string> entries;
  for (Colour c : options.keep) entries.push_back(ColourText(c));
  ReloadRetainedColors(state, entries);
  if (options.whiteTo) state.processColor = *options.whiteTo;
  if (options.convert) state.processColor = *options.convert;

  int progress = 0;
  ProcessHooks hooks;
  hooks.pump = [] {};
  hooks.stopRequested = [] { return false; };
  hooks.picture = [&picture] { return &picture; };
  hooks.displayedWidth = [&picture] { return picture.width(); };
  hooks.convertToColor = [&options] { return options.convert.has_value(); };
  hooks.processColor = [&state] { return state.processColor; };
  hooks.progress = [&progress] { return progress; };
  hooks.setProgress = [&progress](int p) { progress = p; };

  const int height = picture.height();
  const ProcessPass pass = options.whiteTo   ? ProcessPass::White
                           : options.reverse ? ProcessPass::Reverse
                                             : ProcessPass::Strip;
  RunProcessPass(pass, height, height - 1, state.retainedColors, hooks);
}

QImage CompactImage(const Picture& picture) {
  if (picture.empty()) return {};
  const int w = picture.width();
  const int h = picture.height();

  // Distinct colours, up to one more than a palette holds, in a small open-addressed table.
  constexpr std::size_t kSlots = 1024;
  std::array<std::uint32_t, kSlots> keys{};
  std::array<std::uint8_t, kSlots> index{};
  std::vector<QRgb> palette;
  auto slotOf = [&](std::uint32_t word) {
    std::size_t s = (word * 0x9E3779B1u) >> 22;
    while (keys[s] != 0 && keys[s] != word) s = (s + 1) & (kSlots - 1);
    return s;
  };
  for (int y = 0; y < h && palette.size() <= 256; ++y) {
    const std::uint32_t* row = picture.row(y);
    std::uint32_t last = 0;
    for (int x = 0; x < w; ++x) {
      const std::uint32_t word = row[x] | 0xFF000000u;  // never 0, the free-slot mark
      if (word == last) continue;
      last = word;
      const std::size_t s = slotOf(word);
      if (keys[s] == 0) {
        if (palette.size() == 256) {
          palette.push_back(word);
          break;
        }
        keys[s] = word;
        index[s] = static_cast<std::uint8_t>(palette.size());
        palette.push_back(word);
      }
    }
  }

  if (palette.size() > 256) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
      const std::uint32_t* from = picture.row(y);
      auto* to = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
      for (int x = 0; x < w; ++x) to[x] = from[x] | 0xFF000000u;
    }
    return image;
  }

  const bool mono = palette.size() <= 2;
  QImage image(w, h, mono ? QImage::Format_Mono : QImage::Format_Indexed8);
  QList<QRgb> table(palette.begin(), palette.end());
  if (mono && table.size() < 2) table.push_back(table.front());
  image.setColorTable(table);
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* from = picture.row(y);
    uchar* to = image.scanLine(y);
    if (mono) {
      // Two colours: a bit is set where the second one is, eight pixels to a byte.
      const std::uint32_t second = palette.size() > 1 ? palette[1] : 0;
      for (int x0 = 0; x0 < w; x0 += 8) {
        unsigned bits = 0;
        const int n = std::min(8, w - x0);
        for (int i = 0; i < n; ++i) bits |= ((from[x0 + i] | 0xFF000000u) == second) << (7 - i);
        to[x0 >> 3] = static_cast<uchar>(bits);
      }
      continue;
    }
    std::uint32_t last = 0;
    std::uint8_t lastIndex = 0;
    for (int x = 0; x < w; ++x) {
      const std::uint32_t word = from[x] | 0xFF000000u;
      if (word != last) {
        last = word;
        lastIndex = index[slotOf(word)];
      }
      to[x] = lastIndex;
    }
  }
  return image;
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
      std::fprintf(messages, "huesift: %s and %s would both be written to %s\n",
                   qPrintable(it->second), qPrintable(job.input), qPrintable(job.output));
      return 2;
    }
  }
  if (!line.outputDir.empty()) {
    const QString dir = QString::fromLocal8Bit(line.outputDir.c_str());
    if (!QDir().mkpath(dir)) {
      std::fprintf(messages, "huesift: cannot create the folder %s\n", qPrintable(dir));
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
      if (std::optional<Picture> picture = LoadPicture(job.input, reason)) {
        ProcessLikeTheWindow(*picture, line);
        reason = WritePng(CompactImage(*picture), job.output);
        if (!reason.isEmpty()) reason = "cannot write " + job.output + ": " + reason;
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
