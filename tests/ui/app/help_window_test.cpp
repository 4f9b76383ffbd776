// SPDX-License-Identifier: GPL-3.0-or-later
// The help window on its own.
#include "app/help_window.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

namespace huesift::test {
namespace {

TEST(HelpWindow, FixedPaleYellowDialogWithCloseBoxOnly) {
  HelpWindow help;
  EXPECT_EQ(help.windowTitle(), "Huesift Help");
  EXPECT_EQ(help.size(), QSize(568, 617));
  EXPECT_EQ(help.minimumSize(), help.maximumSize());
  EXPECT_TRUE(help.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(help.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));
  const QImage shot = help.grab().toImage();
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(244, 235, 168));
  EXPECT_EQ(help.versionLabel->text(), "   Huesift v1.4\nBrevant");
}

TEST(HelpWindow, TextHasFortyLinesWithTheirSpacesAndCannotBeEditedOrTabbedTo) {
  HelpWindow help;
  const QStringList lines = help.helpText->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 40);
  EXPECT_TRUE(lines[0].startsWith("Capture:   Click"));
  EXPECT_TRUE(lines[1].startsWith(QString(16, ' ') + "desired area."));
  EXPECT_TRUE(lines[14].endsWith("with the "));
  EXPECT_EQ(lines[28], " ");
  EXPECT_EQ(lines[29], " ");
  EXPECT_EQ(lines[36], " ");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[39].trimmed(),
            "clipboard ('Add Color' and 'Fill' buttons must be in up position).");

  // Whatever font stands in, no line is cut off at the text's right edge.
  const QFontMetrics metrics(help.helpText->font());
  for (const QString& line : lines)
    EXPECT_LE(metrics.horizontalAdvance(line), 521) << line.toStdString();

  help.show();
  ASSERT_EQ(help.focusWidget(), help.okButton);
  QTest::keyClick(help.okButton, Qt::Key_Tab);
  EXPECT_EQ(help.focusWidget(), help.okButton);  // the text is skipped
  QTest::keyClicks(help.helpText, "x");
  EXPECT_EQ(help.helpText->toPlainText().split('\n'), lines);
  QTest::mouseClick(help.okButton, Qt::LeftButton);
  EXPECT_FALSE(help.isVisible());
}

TEST(HelpWindow, PicturesSitBesideTheirTopics) {
  HelpWindow help;
  // Pictures one pixel wider than their control lose the rightmost column.
  EXPECT_EQ(help.captureIcon->geometry(), QRect(8, 60, 33, 23));
  EXPECT_EQ(help.captureIcon->pixmap().size(), QSize(34, 23));
  EXPECT_EQ(help.stopIcon->pos(), QPoint(8, 177));
  EXPECT_EQ(help.retainedListIcon->geometry(), QRect(8, 400, 31, 56));
  EXPECT_EQ(help.gaugeIcon->geometry(), QRect(14, 489, 26, 23));
  EXPECT_EQ(help.quitIcon->pos(), QPoint(8, 515));
  // Each picture's top is 4 pixels above its topic's line.
  const QRect line18 =
      help.helpText->cursorRect(QTextCursor(help.helpText->document()->findBlockByNumber(17)));
  EXPECT_EQ(help.helpText->y() + line18.top() - 4, help.undoIcon->y());
}

TEST(HelpWindow, OnAScreenTooSmallThePageScrollsAndOkStaysInTheWindow) {
  HelpWindow help;
  help.fitTo(QRect(0, 0, 960, 500), QMargins(2, 20, 2, 2));
  EXPECT_LE(help.height(), 500 - 22);
  EXPECT_TRUE(help.rect().contains(help.okButton->geometry()));
  EXPECT_EQ(help.okButton->geometry().bottom(), help.height() - 3);
  // Placed with its frame inside the area (move() places a window's frame).
  EXPECT_TRUE(help.pos().y() >= 0 && help.pos().y() + 22 + help.height() <= 500);
  help.show();
  // The whole page can be reached: scrolled to the end, the last picture is in view.
  QScrollBar* bar = help.pageArea->verticalScrollBar();
  ASSERT_TRUE(bar->isVisible());
  bar->setValue(bar->maximum());
  const QRect quit(help.quitIcon->mapTo(help.pageArea->viewport(), QPoint(0, 0)),
                   help.quitIcon->size());
  EXPECT_TRUE(help.pageArea->viewport()->rect().contains(quit));
  // The help text is never cut at the right: no scrolling sideways is needed.
  EXPECT_FALSE(help.pageArea->horizontalScrollBar()->isVisible());
  QTest::mouseClick(help.okButton, Qt::LeftButton);
  EXPECT_FALSE(help.isVisible());
}

TEST(HelpWindow, WhereItFitsItKeepsItsSizeAndNeedsNoScrolling) {
  HelpWindow help;
  help.fitTo(QRect(0, 0, 1920, 1080), QMargins(2, 20, 2, 2));
  EXPECT_EQ(help.size(), QSize(568, 617));
  EXPECT_EQ(help.okButton->geometry(), QRect(247, 590, 75, 25));
  EXPECT_EQ(help.pageArea->geometry(), QRect(0, 0, 568, 590));
}

}  // namespace
}  // namespace huesift::test
