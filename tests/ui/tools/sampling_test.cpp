// SPDX-License-Identifier: GPL-3.0-or-later
// Sampling with the square cursor, the "Retain which color?" box and the "Retained Colors"
// list: what the user sees in both lists and what the tables mirror.
#include <QHelpEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include "files/picture_image.h"
#include "tests/ui/tools/tools_fixture.h"

namespace huesift::test {
namespace {

constexpr Colour kA = 0x404040, kB = 0x808080, kC = 0x2080F0;
const QString kFull = "List box full - delete a color and continue.";

class SamplingTest : public ToolsTest {
 public:
  SamplingTest() {
    givePicture(Picture(200, 150, kWhite));
    addColourDown();
  }
  void put(int x, int y, Colour c) { window->picture->canvas().setPixel(x, y, c); }
  // The colour the closed "Retained Colors" face shows in its middle.
  QColor face() const {
    const QImage shot = window->retainedList->grab().toImage();
    return shot.pixelColor(shot.width() / 3, shot.height() / 2);
  }
  // Gives the list entries 0, c1, ... by sampling each colour alone.
  void retainEach(const std::vector<Colour>& colours) {
    for (std::size_t i = 0; i < colours.size(); ++i) {
      put(100 + static_cast<int>(i % 10) * 10, static_cast<int>(i / 10) * 10, colours[i]);
      sampleAt(100 + static_cast<int>(i % 10) * 10, static_cast<int>(i / 10) * 10);
    }
  }
};

// Black text drawn with anti-aliasing, as a screenshot of a page shows it, over white rows.
Picture AntiAliasedText() {
  QImage image(300, 150, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(22);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(QRect(4, 0, 296, 40), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Huesift sample"));
  return PictureFromImage(image);
}

// What a sampling click at (x, y) must offer: the square's colours, row by row, each once,
// none white or already retained.
std::vector<Colour> SquareColours(const Picture& p, int x, int y, const WorkingState& s) {
  std::vector<Colour> out;
  for (int dy = 0; dy < 9; ++dy)
    for (int dx = 0; dx < 9; ++dx) {
      const Colour c = p.pixel(x + dx, y + dy);
      if (c != kNoColour && c != kWhite && !IsRetainedColour(s, c) &&
          std::find(out.begin(), out.end(), c) == out.end())
        out.push_back(c);
    }
  return out;
}

// The spot on the text whose square offers the most colours.
QPoint RichestSquare(const Picture& p, const WorkingState& s) {
  QPoint best;
  std::size_t most = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < p.width() - 9; ++x)
      if (const std::size_t n = SquareColours(p, x, y, s).size(); n > most) {
        most = n;
        best = {x, y};
      }
  return best;
}

TEST_F(SamplingTest, RetainAllTakesEveryColourOfTheSquareInOrderUpToTheLimit) {
  givePicture(AntiAliasedText());
  addColourDown();  // a new picture puts the tools away
  const QPoint spot = RichestSquare(picture(), window->state);
  const std::vector<Colour> offered = SquareColours(picture(), spot.x(), spot.y(), window->state);
  ASSERT_GE(offered.size(), 6u) << "the text is not anti-aliased";
  sampleAt(spot.x(), spot.y());
  ASSERT_TRUE(window->colourBox->isVisible());
  ASSERT_EQ(candidates(), offered);

  // One chosen by itself first stays where it was put, listed once.
  chooseCandidate(2);
  click(window->colourBox->retainAllButton);
  std::vector<Colour> want{kBlack, offered[2]};
  for (std::size_t i = 0; i < offered.size(); ++i)
    if (i != 2) want.push_back(offered[i]);
  EXPECT_EQ(retained(), want);
  EXPECT_EQ(window->state.retainedColors, Mirror(want));
  EXPECT_EQ(face(), ToQColor(offered.back()));
  EXPECT_FALSE(window->colourBox->isVisible());
  EXPECT_EQ(candidateList()->count(), 0);
  EXPECT_EQ(window->state.candidateColors, Mirror({}));
  EXPECT_TRUE(window->addColourButton->isChecked());  // sampling goes on
  EXPECT_TRUE(fake.messages.isEmpty());

  // Sixty entries: Ctrl+A takes the first four, and the full list is said once.
  click(window->resetButton);
  std::vector<Colour> others;
  for (int i = 1; i <= 59; ++i) others.push_back(0x030000 * i + 7);
  for (std::size_t i = 0; i < others.size(); ++i) {
    const int x = 10 + static_cast<int>(i % 10) * 10, y = 60 + static_cast<int>(i / 10) * 10;
    put(x, y, others[i]);
    sampleAt(x, y);
  }
  ASSERT_EQ(window->retainedList->count(), 60);
  sampleAt(spot.x(), spot.y());
  ASSERT_EQ(candidates(), offered);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::keyClick(window.get(), Qt::Key_A, Qt::ControlModifier);
  const std::vector<Colour> all = retained();
  ASSERT_EQ(all.size(), 64u);
  EXPECT_EQ(std::vector<Colour>(all.begin() + 60, all.end()),
            std::vector<Colour>(offered.begin(), offered.begin() + 4));
  EXPECT_EQ(fake.messages, QStringList{kFull});
  EXPECT_FALSE(window->colourBox->isVisible());
  EXPECT_EQ(window->state.candidateColors, Mirror({}));
}

// The tooltip the view shows over entry row.
QString TooltipOver(QAbstractItemView* view, int row) {
  const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
  QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
  QApplication::sendEvent(view->viewport(), &help);
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST_F(SamplingTest, SwatchesShowTheirValueAndEscapeClosesTheBoxLikeItsX) {
  retainEach({kC});
  put(60, 60, kA);
  put(61, 60, kB);
  sampleAt(60, 60);
  ASSERT_TRUE(window->colourBox->isVisible());
  EXPECT_EQ(TooltipOver(candidateList(), 0), "#404040");
  EXPECT_EQ(TooltipOver(candidateList(), 1), "#808080");

  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(window->colourBox->isVisible());
  EXPECT_EQ(window->state.candidateColors, Mirror({}));
  EXPECT_TRUE(window->addColourButton->isChecked());
  EXPECT_EQ(retained(), (std::vector<Colour>{kBlack, kC}));
  QTest::keyClick(window.get(), Qt::Key_A, Qt::ControlModifier);  // the box's keys went with it
  EXPECT_EQ(retained(), (std::vector<Colour>{kBlack, kC}));

  window->retainedList->showPopup();
  EXPECT_EQ(TooltipOver(window->retainedList->view(), 0), "#000000");
  EXPECT_EQ(TooltipOver(window->retainedList->view(), 1), "#F08020");  // red first
  window->retainedList->hidePopup();
}

TEST_F(SamplingTest, SquareReachesEightPixelsRightAndDownOnly) {
  put(10, 10, kBlack);  // retained from the start
  for (auto [x, y] : {std::pair{9, 10}, {10, 9}, {19, 10}, {10, 19}}) put(x, y, kA);
  sampleAt(10, 10);
  EXPECT_EQ(retained(), std::vector<Colour>{kBlack});
  EXPECT_FALSE(window->colourBox->isVisible());

  put(18, 18, kB);  // the square's far corner
  sampleAt(10, 10);
  EXPECT_EQ(retained(), (std::vector<Colour>{kBlack, kB}));
  EXPECT_EQ(window->state.retainedColors, Mirror({kBlack, kB}));
  EXPECT_EQ(window->retainedList->backgroundColour(), ToQColor(kB));
  EXPECT_EQ(face(), ToQColor(kB));
  EXPECT_FALSE(window->colourBox->isVisible());
  EXPECT_EQ(candidateList()->count(), 0);
  EXPECT_EQ(window->state.candidateColors, Mirror({}));
  EXPECT_TRUE(fake.messages.isEmpty());
}

TEST_F(SamplingTest, NearTheEdgeOnlyPixelsInsideThePictureCount) {
  window->picture->setPicture(Picture(20, 12, kWhite));
  put(19, 11, kC);
  sampleAt(14, 6);  // the square reaches 4 columns and 3 rows past the picture
  EXPECT_EQ(retained(), (std::vector<Colour>{kBlack, kC}));
  EXPECT_FALSE(window->colourBox->isVisible());
}

TEST_F(SamplingTest, SeveralNewColoursAreOfferedInScanOrderAndChosenInTheBox) {
  put(40, 40, kBlack);
  put(45, 42, kA);
  put(47, 41, kB);  // an earlier row than A, so offered first
  put(41, 43, kA);
  sampleAt(40, 40);
  EXPECT_EQ(candidates(), (std::vector<Colour>{kB, kA}));
  EXPECT_EQ(window->state.candidateColors, Mirror({kB, kA}));
  ASSERT_TRUE(window->colourBox->isVisible());
  EXPECT_EQ(window->colourBox->height(), 62);
  EXPECT_EQ(candidateList()->height(), 37);
  EXPECT_EQ(retained(), std::vector<Colour>{kBlack});

  chooseCandidate(1);
  chooseCandidate(1);  // twice: retained once
  chooseCandidate(0);
  EXPECT_EQ(retained(), (std::vector<Colour>{kBlack, kA, kB}));
  EXPECT_EQ(window->state.retainedColors, Mirror({kBlack, kA, kB}));
  EXPECT_TRUE(window->colourBox->isVisible());  // stays open for more choices
  EXPECT_EQ(window->retainedList->currentIndex(), -1);
  EXPECT_EQ(face(), ToQColor(kB));  // the colour retained last
}

TEST_F(SamplingTest, EightyOneColoursOfferTheFirstSixtyFourAndScroll) {
  std::vector<Colour> all;
  for (int i = 0; i < 81; ++i) {
    all.push_back(0x010203 * (i + 1));
    put(20 + i % 9, 30 + i / 9, all.back());
  }
  sampleAt(20, 30);
  const std::vector<Colour> first64(all.begin(), all.begin() + 64);
  EXPECT_EQ(candidates(), first64);
  EXPECT_EQ(window->state.candidateColors, Mirror(first64));
  EXPECT_EQ(window->colourBox->height(), 510);
  CandidateList* list = candidateList();
  EXPECT_EQ(list->height(), 485);
  EXPECT_EQ(list->viewport()->height() / 16, 30);  // thirty swatches show
  EXPECT_GT(list->verticalScrollBar()->maximum(), 0);
}

TEST_F(SamplingTest, SixtyFourEntriesRefuseEveryFurtherColour) {
  std::vector<Colour> colours;
  for (int i = 1; i <= 62; ++i) colours.push_back(0x030000 * i + 7);
  retainEach(colours);
  ASSERT_EQ(window->retainedList->count(), 63);

  put(10, 100, kA);
  put(11, 100, kB);
  sampleAt(10, 100);
  chooseCandidate(0);  // the 64th entry
  EXPECT_TRUE(fake.messages.isEmpty());
  chooseCandidate(1);
  EXPECT_EQ(fake.messages, QStringList{kFull});
  EXPECT_EQ(window->retainedList->count(), 64);
  EXPECT_TRUE(window->colourBox->isVisible());

  put(30, 100, kC);
  sampleAt(30, 100);
  EXPECT_EQ(fake.messages, (QStringList{kFull, kFull}));
  EXPECT_FALSE(window->colourBox->isVisible());  // the pending box was closed by the click
  EXPECT_EQ(window->state.candidateColors, Mirror({}));
  EXPECT_EQ(window->retainedList->count(), 64);

  window->retainedList->showPopup();  // thirty swatches show, the rest scroll
  QAbstractItemView* dropped = window->retainedList->view();
  EXPECT_EQ(dropped->viewport()->height() / 16, 30);
  EXPECT_GT(dropped->verticalScrollBar()->maximum(), 0);
  window->retainedList->hidePopup();

  chooseRetained(5);
  click(window->addColourButton);  // choosing put Add Color up
  sampleAt(30, 100);
  EXPECT_EQ(window->retainedList->count(), 64);
  EXPECT_EQ(retained().back(), kC);
  EXPECT_EQ(fake.messages.size(), 2);
}

TEST_F(SamplingTest, ArrowKeysOrASlideInTheBoxRetainEachNewSelection) {
  put(60, 60, kA);
  put(61, 60, kB);
  put(62, 60, kC);
  sampleAt(60, 60);
  CandidateList* list = candidateList();
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(retained(), (std::vector<Colour>{kBlack, kA, kB}));
  QTest::keyClick(list, Qt::Key_Up);  // back to A: retained already
  QTest::keyClick(list, Qt::Key_Up);  // nothing above A
  EXPECT_EQ(retained(), (std::vector<Colour>{kBlack, kA, kB}));
  EXPECT_TRUE(fake.messages.isEmpty());

  // Pressed on B, slid onto C with the button held, released there.
  const QPoint onB = list->visualItemRect(list->item(1)).center();
  const QPoint onC = list->visualItemRect(list->item(2)).center();
  QTest::mousePress(list->viewport(), Qt::LeftButton, {}, onB);
  QMouseEvent slide(QEvent::MouseMove, QPointF(onC), list->viewport()->mapToGlobal(QPointF(onC)),
                    Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &slide);
  QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, onC);
  ASSERT_EQ(list->currentRow(), 2);
  EXPECT_EQ(retained(), (std::vector<Colour>{kBlack, kA, kB, kC}));
}

TEST_F(SamplingTest, ArrowKeysOnTheClosedListDeleteEachNewSelection) {
  retainEach({kA, kB});
  RetainedColourList* list = window->retainedList;
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Down);  // selects black: deleted
  EXPECT_EQ(retained(), (std::vector<Colour>{kA, kB}));
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(retained(), std::vector<Colour>{kB});
  QTest::keyClick(list, Qt::Key_Down);  // the only entry stays, selected
  EXPECT_EQ(retained(), std::vector<Colour>{kB});
  EXPECT_EQ(window->state.retainedColors, Mirror({kB}));
  EXPECT_EQ(list->currentIndex(), 0);
  EXPECT_EQ(face(), ToQColor(kB));
}

TEST_F(SamplingTest, EntriesDeleteInAnyOrderAndCanBeSampledAgain) {
  retainEach({kA, kB, kC});
  const QColor windowBackground = QPalette().color(QPalette::Base);
  chooseRetained(3);
  EXPECT_EQ(retained(), (std::vector<Colour>{kBlack, kA, kB}));
  EXPECT_EQ(window->retainedList->backgroundColour(), windowBackground);
  EXPECT_EQ(face(), windowBackground);
  chooseRetained(0);
  EXPECT_EQ(window->state.retainedColors, Mirror({kA, kB}));
  chooseRetained(1);
  chooseRetained(0);  // the only one left: kept
  EXPECT_EQ(retained(), std::vector<Colour>{kA});
  EXPECT_EQ(window->state.retainedColors, Mirror({kA}));
  EXPECT_FALSE(IsRetainedColour(window->state, kBlack));

  click(window->addColourButton);
  put(150, 140, kC);
  sampleAt(150, 140);
  EXPECT_EQ(retained(), (std::vector<Colour>{kA, kC}));
}

TEST_F(SamplingTest, OpeningOrChoosingInTheListClosesTheBoxAndEndsAddColour) {
  retainEach({kC});
  put(60, 60, kA);
  put(61, 60, kB);
  sampleAt(60, 60);
  ASSERT_TRUE(window->colourBox->isVisible());
  ASSERT_EQ(window->cursor().shape(), Qt::CrossCursor);  // what the fake loads
  window->retainedList->showPopup();                     // dropping the list down is enough
  EXPECT_FALSE(window->colourBox->isVisible());
  EXPECT_FALSE(window->addColourButton->isChecked());
  EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);  // the square cursor went
  EXPECT_EQ(window->state.candidateColors, Mirror({}));
  EXPECT_EQ(candidateList()->count(), 2);  // emptied by the next sampling only
  window->retainedList->hidePopup();

  click(window->addColourButton);
  sampleAt(60, 60);
  chooseRetained(1);
  EXPECT_FALSE(window->colourBox->isVisible());
  EXPECT_FALSE(window->addColourButton->isChecked());
  EXPECT_EQ(retained(), std::vector<Colour>{kBlack});
}

TEST_F(SamplingTest, XClosesTheBoxAndTheSameSpotOffersWhatIsLeft) {
  put(60, 60, kA);
  put(61, 60, kB);
  put(62, 60, kC);
  sampleAt(60, 60);
  chooseCandidate(1);
  click(window->colourBox->closeButton);
  EXPECT_FALSE(window->colourBox->isVisible());
  EXPECT_EQ(window->state.candidateColors, Mirror({}));
  EXPECT_TRUE(window->addColourButton->isChecked());

  sampleAt(60, 60);
  EXPECT_EQ(candidates(), (std::vector<Colour>{kA, kC}));
  chooseCandidate(0);
  click(window->colourBox->closeButton);
  sampleAt(60, 60);  // one left: retained at once
  EXPECT_FALSE(window->colourBox->isVisible());
  EXPECT_EQ(retained(), (std::vector<Colour>{kBlack, kB, kA, kC}));
}

TEST_F(SamplingTest, BoxDragsInsideTheWindowAndReopensWhereDropped) {
  put(60, 60, kA);
  put(61, 60, kB);
  sampleAt(60, 60);
  ColourBox* box = window->colourBox;
  const QPoint start = box->pos();
  auto drag = [&](QPoint by) {
    const QPoint grip(4, 40);  // the box's own background, beside its list
    QTest::mousePress(box, Qt::LeftButton, {}, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip + by), box->mapToGlobal(QPointF(grip + by)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &move);
    QTest::mouseRelease(box, Qt::LeftButton, {}, grip + by);
  };
  drag({-120, 90});
  EXPECT_EQ(box->pos(), start + QPoint(-120, 90));
  drag({5000, -5000});  // held inside the client area
  EXPECT_EQ(box->pos(), QPoint(window->width() - box->width(), 0));
  const QPoint dropped = box->pos();

  click(box->closeButton);
  click(window->helpButton);  // help opens and closes
  sampleAt(60, 60);
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->pos(), dropped);

  // Neither the title, nor the "X" or the list under a button they leave alone, is a grip.
  const QPoint before = box->pos();
  auto tryDrag = [&](QWidget* on, Qt::MouseButton button, QPoint at) {
    QTest::mousePress(on, button, {}, at);
    QMouseEvent move(QEvent::MouseMove, QPointF(50, 50), box->mapToGlobal(QPointF(50, 50)),
                     Qt::NoButton, button, Qt::NoModifier);
    QApplication::sendEvent(box, &move);
    QTest::mouseRelease(on, button, {}, at);
  };
  tryDrag(box->titleLabel, Qt::LeftButton, QPoint(5, 5));
  EXPECT_EQ(box->pos(), before);
  tryDrag(box->closeButton, Qt::RightButton, QPoint(5, 5));
  EXPECT_EQ(box->pos(), before);
  tryDrag(box->candidateList, Qt::MiddleButton, QPoint(0, 5));  // on the list's frame
  EXPECT_EQ(box->pos(), before);
}

}  // namespace
}  // namespace huesift::test
