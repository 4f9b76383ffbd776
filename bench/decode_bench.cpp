// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a 4K screenshot-like PNG as Paste and Open do, into the raster the last picture
// left: our reader of common PNGs against Qt's own.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QImageReader>

#include "bench/ratios.h"
#include "bench/synthetic.h"
#include "platform/image_convert.h"
#include "platform/png_decode.h"

namespace huesift::bench {
namespace {

const QByteArray& ScreenshotPng() {
  static const QByteArray png = [] {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ImageFromPicture(MakeScreenshot()).save(&buffer, "PNG");
    return bytes;
  }();
  return png;
}

void OurPngReader(benchmark::State& state) {
  const QByteArray& png = ScreenshotPng();
  QImage raster(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    if (!DecodeCommonPng(png, raster)) state.SkipWithError("the PNG was declined");
    benchmark::DoNotOptimize(raster.constBits());
  }
}

void QtPngReader(benchmark::State& state) {
  const QByteArray& png = ScreenshotPng();
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

const bool registered = [] {
  Timed(benchmark::RegisterBenchmark("png_decode", OurPngReader));
  Timed(benchmark::RegisterBenchmark("png_decode_qt", QtPngReader));
  AddRatioCheck("png_decode_qt", "png_decode", 1.5, true);
  return true;
}();

}  // namespace
}  // namespace huesift::bench
