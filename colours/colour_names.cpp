// SPDX-License-Identifier: GPL-3.0-or-later
#include "colours/colour_names.h"

#include <QCoreApplication>
#include <algorithm>

#include "colours/swatch.h"

namespace huesift {
namespace {

// Every colour word the program says, in one place, marked for Qt's translation tools.
constexpr const char* kGrayWords[] = {QT_TRANSLATE_NOOP("huesift::ColourWord", "black"),
                                      QT_TRANSLATE_NOOP("huesift::ColourWord", "dark gray"),
                                      QT_TRANSLATE_NOOP("huesift::ColourWord", "gray"),
                                      QT_TRANSLATE_NOOP("huesift::ColourWord", "light gray"),
                                      QT_TRANSLATE_NOOP("huesift::ColourWord", "white")};
// A colour that looks white but is not: said so, as it would be taken for white otherwise.
constexpr const char* kNearWhiteWord = QT_TRANSLATE_NOOP("huesift::ColourWord", "near white");

struct HueWords {
  int below;  // the family reaches up to this hue, in degrees
  const char* dark;
  const char* plain;
  const char* light;
};
constexpr HueWords kHueWords[] = {
    {15, QT_TRANSLATE_NOOP("huesift::ColourWord", "dark red"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "red"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "pink")},
    {45, QT_TRANSLATE_NOOP("huesift::ColourWord", "brown"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "orange"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "light orange")},
    {70, QT_TRANSLATE_NOOP("huesift::ColourWord", "olive"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "yellow"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "light yellow")},
    {165, QT_TRANSLATE_NOOP("huesift::ColourWord", "dark green"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "green"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "light green")},
    {195, QT_TRANSLATE_NOOP("huesift::ColourWord", "teal"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "cyan"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "light cyan")},
    {255, QT_TRANSLATE_NOOP("huesift::ColourWord", "dark blue"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "blue"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "light blue")},
    {290, QT_TRANSLATE_NOOP("huesift::ColourWord", "dark violet"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "violet"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "lavender")},
    {345, QT_TRANSLATE_NOOP("huesift::ColourWord", "purple"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "magenta"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "light magenta")},
    {360, QT_TRANSLATE_NOOP("huesift::ColourWord", "dark red"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "red"),
     QT_TRANSLATE_NOOP("huesift::ColourWord", "pink")},
};

QString Translated(const char* word) {
  return QCoreApplication::translate("huesift::ColourWord", word);
}

// Below this spread between the strongest and the weakest channel (of 255) a colour reads
// as a gray; dark and light split at these mid-range levels.
constexpr int kGraySpread = 32;
constexpr int kDarkBelow = 80;
constexpr int kLightAbove = 190;

}  // namespace

QString HexText(Colour c) {
  return ToQColor(c).name().toUpper();
}

QString ColourWord(Colour c) {
  const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  const int high = std::max({r, g, b}), low = std::min({r, g, b});
  const int spread = high - low, level = (high + low) / 2;
  if (spread < kGraySpread) {
    const int step = level < 24 ? 0 : level < 96 ? 1 : level < 176 ? 2 : level < 240 ? 3 : 4;
    if (step == 4 && c != kWhite) return Translated(kNearWhiteWord);
    return Translated(kGrayWords[step]);
  }
  // The hue in degrees, 0 red, 120 green, 240 blue.
  int hue = 0;
  if (high == r) {
    hue = (60 * (g - b) / spread + 360) % 360;
  } else if (high == g) {
    hue = 60 * (b - r) / spread + 120;
  } else {
    hue = 60 * (r - g) / spread + 240;
  }
  const HueWords& family = *std::find_if(std::begin(kHueWords), std::end(kHueWords),
                                         [hue](const HueWords& w) { return hue < w.below; });
  const char* word = level < kDarkBelow    ? family.dark
                     : level > kLightAbove ? family.light
                                           : family.plain;
  return Translated(word);
}

QString AccessibleColourName(Colour c) {
  //: A swatch read aloud: its hex value, then its colour word.
  return QCoreApplication::translate("huesift::ColourWord", "%1, %2")
      .arg(HexText(c), ColourWord(c));
}

}  // namespace huesift
