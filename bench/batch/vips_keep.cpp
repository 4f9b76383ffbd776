// SPDX-License-Identifier: GPL-3.0-or-later
// The batch job as a libvips user would write it, for bench/batch/batch_vs_vips.sh: one
// process for all files, each loaded with sequential access, an equality mask of the kept
// colours, ifthenelse to white and a PNG saved with libvips' defaults, on libvips' own threads.
//
//   huesift_vips_keep --keep RRGGBB[,RRGGBB...] --out-dir DIR FILE...
//   huesift_vips_keep --same A B     exit 0 when both pictures have the same RGB pixels
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <vips/vips8>

using vips::VImage;

namespace {

std::vector<std::vector<double>> ParseColours(const std::string& list) {
  std::vector<std::vector<double>> colours;
  std::size_t at = 0;
  while (at <= list.size()) {
    const std::size_t end = std::min(list.find(',', at), list.size());
    std::string hex = list.substr(at, end - at);
    if (!hex.empty() && hex[0] == '#') hex.erase(0, 1);
    const unsigned long rgb = std::strtoul(hex.c_str(), nullptr, 16);
    colours.push_back({static_cast<double>((rgb >> 16) & 0xFF),
                       static_cast<double>((rgb >> 8) & 0xFF), static_cast<double>(rgb & 0xFF)});
    at = end + 1;
  }
  return colours;
}

// Whatever the file holds (grey, palette, with alpha), as three 8-bit sRGB bands.
VImage AsRgb(VImage image) {
  if (image.has_alpha()) image = image.flatten(VImage::option()->set("background", 255));
  image = image.colourspace(VIPS_INTERPRETATION_sRGB).cast(VIPS_FORMAT_UCHAR);
  if (image.bands() > 3) image = image.extract_band(0, VImage::option()->set("n", 3));
  return image;
}

int Same(const char* a, const char* b) {
  const VImage x = AsRgb(VImage::new_from_file(a));
  const VImage y = AsRgb(VImage::new_from_file(b));
  if (x.width() != y.width() || x.height() != y.height()) return 1;
  return (x != y).bandor().max() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (VIPS_INIT(argv[0])) vips_error_exit(nullptr);
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() == 3 && args[0] == "--same") return Same(args[1].c_str(), args[2].c_str());
    if (args.size() < 5 || args[0] != "--keep" || args[2] != "--out-dir") {
      std::fprintf(stderr, "usage: %s --keep RRGGBB[,...] --out-dir DIR FILE...\n", argv[0]);
      return 2;
    }
    const auto keep = ParseColours(args[1]);
    const std::string dir = args[3];
    const std::vector<double> white{255, 255, 255};
    for (std::size_t i = 4; i < args.size(); ++i) {
      VImage in = VImage::new_from_file(args[i].c_str(),
                                        VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
      if (in.has_alpha()) in = in.flatten(VImage::option()->set("background", 255));
      VImage kept = (in == keep[0]).bandand();
      for (std::size_t k = 1; k < keep.size(); ++k) kept = kept | (in == keep[k]).bandand();
      const VImage out = kept.ifthenelse(in, white);
      std::string name = args[i].substr(args[i].find_last_of('/') + 1);
      name = name.substr(0, name.find_last_of('.')) + ".png";
      out.write_to_file((dir + "/" + name).c_str());
    }
  } catch (const vips::VError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  vips_shutdown();
  return 0;
}
