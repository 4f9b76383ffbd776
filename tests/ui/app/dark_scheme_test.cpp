// SPDX-License-Identifier: GPL-3.0-or-later
// The windows under a dark colour scheme, set before they are built as a desktop sets it:
// every text and glyph is measured on the rendered widgets against what lies behind it.
#include <QApplication>
#include <QLabel>
#include <QTextEdit>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "app/gauge.h"
#include "colours/colour_box.h"
#include "tests/ui/main_window_fixture.h"

namespace huesift::test {
namespace {

// WCAG's relative luminance and contrast ratio, written out here so the check does not lean
// on the program's own.
double Luminance(QRgb c) {
  const auto linear = [](int v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
}

double Contrast(QRgb a, QRgb b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// What lies behind: the commonest colour of the rendered area (or of a part of it, less a
// part left out).
QRgb Background(const QImage& image, QRect within = {}, const QRect& leftOut = {}) {
  if (within.isNull()) within = image.rect();
  std::map<QRgb, int> counts;
  for (int y = within.top(); y <= within.bottom(); ++y)
    for (int x = within.left(); x <= within.right(); ++x)
      if (!leftOut.contains(x, y)) ++counts[image.pixel(x, y) | 0xFF000000];
  return std::max_element(counts.begin(), counts.end(),
                          [](auto& a, auto& b) { return a.second < b.second; })
      ->first;
}

// Text: the contrast of its strongest ink (the core of the strokes; their edges are blended
// with the background by antialiasing).
double TextContrast(const QImage& image) {
  const QRgb background = Background(image);
  double best = 1;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      best = std::max(best, Contrast(image.pixel(x, y), background));
  return best;
}

// A glyph on a button face: the median contrast of its outline against the face. The
// outline is the ring of the glyph's opaque pixels next to what is not opaque (the face, or
// antialiased edges blended with it); a glyph can carry bright colours inside an outline
// that vanishes.
double OutlineContrast(const QImage& glyph, QRgb face) {
  const auto opaque = [&](int x, int y) {
    return glyph.rect().contains(x, y) && qAlpha(glyph.pixel(x, y)) >= 250;
  };
  std::vector<double> edge;
  for (int y = 0; y < glyph.height(); ++y) {
    for (int x = 0; x < glyph.width(); ++x) {
      if (!opaque(x, y)) continue;
      bool ring = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) ring = ring || !opaque(x + dx, y + dy);
      if (ring) edge.push_back(Contrast(glyph.pixel(x, y) | 0xFF000000, face));
    }
  }
  if (edge.empty()) return 1;
  std::nth_element(edge.begin(), edge.begin() + edge.size() / 2, edge.end());
  return edge[edge.size() / 2];
}

QPalette DarkPalette() {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(53, 53, 53));
  dark.setColor(QPalette::WindowText, QColor(238, 238, 238));
  dark.setColor(QPalette::Base, QColor(35, 35, 35));
  dark.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
  dark.setColor(QPalette::Text, QColor(238, 238, 238));
  dark.setColor(QPalette::Button, QColor(60, 60, 60));
  dark.setColor(QPalette::ButtonText, QColor(238, 238, 238));
  dark.setColor(QPalette::Light, QColor(90, 90, 90));
  dark.setColor(QPalette::Midlight, QColor(75, 75, 75));
  dark.setColor(QPalette::Mid, QColor(40, 40, 40));
  dark.setColor(QPalette::Dark, QColor(30, 30, 30));
  dark.setColor(QPalette::Shadow, QColor(0, 0, 0));
  dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
  dark.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
  return dark;
}

// Set before the windows are built, put back after.
struct DarkScheme {
  DarkScheme() : saved(QApplication::palette()) { QApplication::setPalette(DarkPalette()); }
  ~DarkScheme() { QApplication::setPalette(saved); }
  QPalette saved;
};

class DarkSchemeTest : public DarkScheme, public MainWindowTest {};

TEST_F(DarkSchemeTest, ColourBoxTitleAndButtonsReadOnTheDarkButtonFace) {
  ColourBox* box = window->colourBox;
  box->openFor(2);
  const QImage title = box->grab(box->titleLabel->geometry()).toImage();
  EXPECT_NE(Background(title), qRgb(0, 0, 255));
  EXPECT_GE(TextContrast(title), 4.5);
  const QImage close = box->grab(box->closeButton->geometry()).toImage();
  EXPECT_GE(TextContrast(close), 4.5);
  const QImage retainAll = box->grab(box->retainAllButton->geometry()).toImage();
  EXPECT_GE(TextContrast(retainAll), 4.5);
}

TEST_F(DarkSchemeTest, ToolbarGlyphsStandOutFromTheirButtons) {
  for (QToolButton* button : window->toolbar->findChildren<QToolButton*>()) {
    button->setEnabled(true);
    // The face as the button is drawn around the glyph, the glyph as its icon draws it.
    const QImage shot = button->grab().toImage();
    const QSize size = button->iconSize();
    const QRect middle(
        QPoint((shot.width() - size.width()) / 2 - 2, (shot.height() - size.height()) / 2 - 2),
        size + QSize(4, 4));
    const QRgb face = Background(shot, shot.rect().adjusted(3, 3, -3, -3), middle);
    const QImage glyph =
        button->icon().pixmap(button->iconSize()).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_GE(OutlineContrast(glyph, face), 3.0) << button->objectName().toStdString();
  }
}

// The help window's pictures of the buttons show them as the toolbar does: light faces.
TEST_F(DarkSchemeTest, HelpPicturesShowTheButtonsAsTheToolbarDoes) {
  HelpWindow& h = help();
  const std::pair<QLabel*, QToolButton*> shown[] = {{h.captureIcon, window->captureButton},
                                                    {h.printIcon, window->printButton},
                                                    {h.quitIcon, window->quitButton}};
  for (const auto& [picture, button] : shown) {
    button->setEnabled(true);
    EXPECT_EQ(Background(picture->pixmap().toImage()), Background(button->grab().toImage()))
        << button->objectName().toStdString();
  }
}

TEST_F(DarkSchemeTest, GaugeTextReads) {
  EXPECT_GE(TextContrast(window->gauge->grab().toImage()), 4.5);
}

TEST_F(DarkSchemeTest, HelpKeepsItsOwnColoursAndReads) {
  HelpWindow& h = help();
  h.show();
  const QImage text = h.helpText->viewport()->grab().toImage();
  EXPECT_EQ(Background(text), qRgb(244, 235, 168));
  EXPECT_GE(TextContrast(text), 4.5);
  const QImage shot = h.grab().toImage();
  EXPECT_EQ(shot.pixel(5, 5) | 0xFF000000, qRgb(244, 235, 168));
  const QImage version =
      h.grab(QRect(h.versionLabel->mapTo(&h, QPoint(0, 0)), h.versionLabel->size())).toImage();
  EXPECT_GE(TextContrast(version), 4.5);
  const QImage ok = h.okButton->grab().toImage();
  EXPECT_GE(TextContrast(ok), 4.5);
  h.hide();
}

}  // namespace
}  // namespace huesift::test
