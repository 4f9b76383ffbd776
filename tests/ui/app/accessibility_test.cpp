// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader is told (through QAccessible, which AT-SPI serves on Linux): every
// swatch of "Retained Colors" and of the colour box by its #RRGGBB value and a plain colour
// word, and the gauge as a progress bar whose value is the percentage its face shows.
#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QAccessibleValueInterface>
#include <QPainter>

#include "app/gauge.h"
#include "colours/colour_names.h"
#include "colours/swatch.h"
#include "tests/ui/tools/tools_fixture.h"

namespace huesift::test {
namespace {

class AccessibilityTest : public ToolsTest {
 public:
  // The names of the entries of a list view, as the screen reader walks them.
  static QStringList EntryNames(QAbstractItemView* view) {
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    QAccessibleTableInterface* table = list ? list->tableInterface() : nullptr;
    QStringList names;
    if (!table) return {QStringLiteral("no table interface")};
    for (int row = 0; row < table->rowCount(); ++row)
      names << table->cellAt(row, 0)->text(QAccessible::Name);
    return names;
  }
};

TEST_F(AccessibilityTest, SwatchesAreReadAsHexValueAndColourWord) {
  givePicture(Picture(100, 40, kWhite));
  addColourDown();
  Picture& canvas = window->picture->canvas();
  canvas.setPixel(10, 10, 0x2080F0);  // red F0, green 80, blue 20
  sampleAt(10, 10);
  canvas.setPixel(40, 10, 0x808080);
  canvas.setPixel(41, 10, 0x800000);
  sampleAt(40, 10);
  EXPECT_EQ(EntryNames(candidateList()), (QStringList{"#808080, gray", "#000080, dark blue"}));
  EXPECT_EQ(QAccessible::queryAccessibleInterface(candidateList())->text(QAccessible::Name),
            "Retain which color?");

  window->retainedList->showPopup();
  EXPECT_EQ(EntryNames(window->retainedList->view()),
            (QStringList{"#000000, black", "#F08020, orange"}));
  window->retainedList->hidePopup();

  // The closed list keeps its name; the one entry left, chosen and kept, is its value.
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(window->retainedList);
  chooseRetained(0);  // black goes
  chooseRetained(0);  // orange is the only one: it stays, chosen
  ASSERT_EQ(window->retainedList->currentIndex(), 0);
  EXPECT_EQ(list->text(QAccessible::Name), "Retained Colors");
  EXPECT_EQ(list->text(QAccessible::Value), "#F08020, orange");
  ASSERT_EQ(list->childCount(), 1);
  EXPECT_EQ(list->child(0)->object(), window->retainedList->view());
}

TEST_F(AccessibilityTest, ColourWordsFollowWhatTheEyeSees) {
  const std::pair<Colour, const char*> kWords[] = {
      {0xFFFFFF, "white"},
      {0xC0C0C0, "light gray"},
      {0x3A3A3A, "dark gray"},
      {0x0000FF, "red"},
      {0x00FF00, "green"},
      {0xFF0000, "blue"},
      {0x00FFFF, "yellow"},
      {0x13458B, "brown"},
      {0x800000, "dark blue"},
      {0xCBC0FF, "pink"},
      {0xFF00FF, "magenta"},
      {0x808000, "teal"},
      {0xFFBF87, "light blue"},
      {0x1C2BC4, "red"},
      {0x008080, "olive"},
      // Pale colours that a screen reader must not call white.
      {0xFEFEFE, "near white"},
      {0xF8F9FD, "near white"},
      {0xFAFAFD, "near white"},
      {0xF0F0F0, "near white"},
  };
  for (const auto& [colour, word] : kWords) {
    EXPECT_EQ(ColourWord(colour), word) << HexText(colour).toStdString();
  }
}

// A swatch so pale that it would vanish in its white frame is outlined in grey; any other is
// its colour edge to edge inside the frame.
TEST(Swatch, NearWhiteIsOutlinedInsideItsWhiteFrame) {
  for (const Colour colour : {0xFEFEFEu, 0xF8F9FDu, 0xF7F7F7u, 0xF6FFFFu, 0x808080u, 0x2080F0u}) {
    QImage image(29, 16, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    DrawSwatch(painter, image.rect(), colour);
    painter.end();
    const bool pale = colour == 0xFEFEFE || colour == 0xF8F9FD || colour == 0xF7F7F7;
    SCOPED_TRACE(HexText(colour).toStdString());
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));  // the frame
    EXPECT_EQ(image.pixel(2, 7), pale ? qRgb(128, 128, 128) : ToQColor(colour).rgb());
    EXPECT_EQ(image.pixel(26, 13), pale ? qRgb(128, 128, 128) : ToQColor(colour).rgb());
    EXPECT_EQ(image.pixel(14, 7), ToQColor(colour).rgb());
  }
}

TEST_F(AccessibilityTest, GaugeIsAProgressBarWhoseValueIsItsPercentage) {
  givePicture(Picture(30, 400, kWhite));
  QAccessibleInterface* gauge = QAccessible::queryAccessibleInterface(window->gauge);
  ASSERT_NE(gauge, nullptr);
  EXPECT_EQ(gauge->role(), QAccessible::ProgressBar);
  EXPECT_EQ(gauge->text(QAccessible::Name), "Progress");
  QAccessibleValueInterface* value = gauge->valueInterface();
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->minimumValue().toInt(), 0);
  EXPECT_EQ(value->maximumValue().toInt(), 100);

  // Read during the run, whenever it lets events through.
  std::vector<int> values;
  QStringList texts;
  fake.onPump = [&](int) {
    values.push_back(value->currentValue().toInt());
    texts << gauge->text(QAccessible::Value);
    EXPECT_EQ(values.back(), window->gauge->percent());
  };
  click(window->processButton);
  // Before rows 0, 50, ..., 350 of the 400, and once more at the end.
  ASSERT_EQ(values.size(), 9u);
  EXPECT_EQ(values[4], 50);  // 200 of 399
  EXPECT_EQ(texts[4], "50%");
  EXPECT_EQ(values.back(), 100);
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
  EXPECT_EQ(value->currentValue().toInt(), 0);  // back at rest
  EXPECT_EQ(gauge->text(QAccessible::Value), "0%");
}

}  // namespace
}  // namespace huesift::test
