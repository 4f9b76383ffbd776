// SPDX-License-Identifier: GPL-3.0-or-later
// PNG read and written as Paste, Open, Copy, Save and the batch mode do, on a 4K synthetic
// screenshot, on one with a photo-like window (shading with camera grain, whose rare literals
// get the longest codes) and on a cleaned one in a palette: ours against Qt's reader and writer.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QImageReader>
#include <array>
#include <string>

#include "bench/ratios.h"
#include "bench/synthetic.h"
#include "files/decode_picture.h"
#include "files/picture_file_io.h"
#include "files/picture_image.h"

namespace huesift::bench {
namespace {

Picture PhotoScreenshot() {
  Picture picture = MakeScreenshot();
  AddPhotoWindow(picture);
  return picture;
}

// A screenshot as Process leaves it, in a few dozen colours: what Save and the batch mode write
// as a palette, and what a second run reads back.
Picture CleanedScreenshot() {
  Picture picture = MakeScreenshot();
  for (int y = 0; y < picture.height(); ++y) {
    std::uint32_t* row = picture.row(y);
    for (int x = 0; x < picture.width(); ++x) row[x] &= 0xFFC0C0C0u;
  }
  return picture;
}

struct Sample {
  QImage image;      // as Copy hands it over
  Picture picture;   // as Save and the batch mode hand it over
  QImage compact;    // as Qt's writer took it: CompactImage's smallest exact form
  QByteArray qtPng;  // compact as Qt writes it by default: what another program hands us
};

const Sample& SampleOf(int which) {
  static const std::array<Sample, 3> samples = [] {
    auto make = [](const Picture& picture) {
      Sample s;
      s.image = ImageFromPicture(picture);
      s.picture = picture;
      s.compact = CompactImage(picture);
      QBuffer buffer(&s.qtPng);
      buffer.open(QIODevice::WriteOnly);
      s.compact.save(&buffer, "PNG");
      return s;
    };
    return std::array<Sample, 3>{make(MakeScreenshot()), make(PhotoScreenshot()),
                                 make(CleanedScreenshot())};
  }();
  return samples[static_cast<std::size_t>(which)];
}

void OurRead(benchmark::State& state, int which) {
  const QByteArray& png = SampleOf(which).qtPng;
  Picture raster;
  for (auto _ : state) {
    if (DecodePicture(png, QByteArray(), raster).png != PngRead::Read)
      state.SkipWithError("our reader declined the PNG");
    benchmark::DoNotOptimize(raster.data());
  }
}

void QtRead(benchmark::State& state, int which) {
  const QByteArray& png = SampleOf(which).qtPng;
  QImage raster(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    QBuffer buffer;
    buffer.setData(png);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    if (!reader.read(&raster)) state.SkipWithError("Qt could not read the PNG");
    benchmark::DoNotOptimize(raster.constBits());
  }
}

// Ours from the picture, its palette found on the way; Qt's from the compact form made before
// the clock starts. sizeRatio: our file's size over Qt's, reported beside the time.
void OurWrite(benchmark::State& state, int which) {
  const Sample& sample = SampleOf(which);
  QByteArray png;
  for (auto _ : state) {
    QString reason;
    png = EncodePicture(sample.picture, "png", reason);
    if (png.isEmpty()) state.SkipWithError("our writer failed");
  }
  QBuffer qt;
  qt.open(QIODevice::WriteOnly);
  sample.compact.save(&qt, "PNG");
  state.counters["sizeRatio"] = double(png.size()) / double(qt.data().size());
}

void QtWrite(benchmark::State& state, int which) {
  const Sample& sample = SampleOf(which);
  for (auto _ : state) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!sample.compact.save(&buffer, "PNG")) state.SkipWithError("Qt could not write the PNG");
    benchmark::DoNotOptimize(png.data());
  }
}

const bool registered = [] {
  for (const auto& [which, name] :
       {std::pair{0, "screenshot"}, std::pair{1, "photo"}, std::pair{2, "cleaned"}}) {
    const std::string n = name;
    Timed(benchmark::RegisterBenchmark(("png_read/" + n).c_str(), OurRead, which));
    Timed(benchmark::RegisterBenchmark(("png_read_qt/" + n).c_str(), QtRead, which));
    Timed(benchmark::RegisterBenchmark(("png_write/" + n).c_str(), OurWrite, which));
    Timed(benchmark::RegisterBenchmark(("png_write_qt/" + n).c_str(), QtWrite, which));
    AddRatioCheck("png_read_qt/" + n, "png_read/" + n, 3.0, true);
    AddRatioCheck("png_write_qt/" + n, "png_write/" + n, 3.0, true);
  }
  return true;
}();

}  // namespace
}  // namespace huesift::bench
