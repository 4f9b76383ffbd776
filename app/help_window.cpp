// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/help_window.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <algorithm>

#include "app/help_pictures.h"
#include "platform/contrast.h"

namespace huesift {
namespace {

const QColor kPaleYellow(244, 235, 168);  // 0xA8EBF4 in 0x00BBGGRR
const QColor kBlue(0, 0, 255);
constexpr int kLineHeight = 13;
// The whole window, and the page above the row that holds OK.
constexpr QSize kFullSize(568, 617);
constexpr int kPageHeight = 590;
constexpr int kOkRow = kFullSize.height() - kPageHeight;

// The text was laid out for a narrow bitmap font; with a wider substitute the long lines
// would be cut off at the right edge, so the font is narrowed (not shortened: the pictures
// beside the text are placed by its line height) until the widest line fits.
QFont FittingFont(QFont font, const QStringList& lines, int width) {
  const auto widest = [&lines](const QFont& f) {
    const QFontMetrics metrics(f);
    int w = 0;
    for (const QString& line : lines) w = std::max(w, metrics.horizontalAdvance(line));
    return w;
  };
  for (int stretch = 100; stretch > 50 && widest(font) > width; stretch -= 2) {
    font.setStretch(stretch - 2);
  }
  return font;
}

}  // namespace

QStringList HelpWindow::HelpLines() {
  // Each line is translated on its own: the pictures beside the topics stand at their lines,
  // so a translation keeps every line break and the indentation of continued lines.
  // clang-format off
  static const char* const lines[] = {
    //: One line of the help text; the picture of each topic stands beside its first line, so
    //: keep the number of lines of each topic and the spaces that start its continued lines.
    QT_TR_NOOP("Capture:   Click to capture the area just below the Huesift window.  Then drag the cross hairs over the"),
    QT_TR_NOOP("                desired area.  Right click button to paste in an image from the clipboard."),
    "",
    QT_TR_NOOP("Process:   Click to strip unwanted colors from the image."),
    QT_TR_NOOP("                 Right click button to : 1. 'Process Color...' - results can be convert to any single color (not required)."),
    QT_TR_NOOP("                                                    2. 'Convert to Color' - chose if conversion to 'Process Color...' is desired."),
    QT_TR_NOOP("                                                    3. 'Convert White to Color' - converts white to 'Process Color'. All other color"),
    QT_TR_NOOP("                                                        conversions are ignored during this operation."),
    "",
    QT_TR_NOOP("Stop:  Stop current Process operation."),
    "",
    "",
    QT_TR_NOOP("Add Color: Click to access square cursor.  Then click on any color you desired to retain during 'Process'.  Up"),
    QT_TR_NOOP("                 to 64 colors can be retained.  Retained colors can be seen in the drop down box.  Cursor color"),
    QT_TR_NOOP("                 can be changed by right clicking on the image.  (Note: if more than one color is selected with the "),
    QT_TR_NOOP("                 square cursor, a color box will appear.  Then choose the desired colors to retain from the color box.)"),
    "",
    QT_TR_NOOP("Undo:       Undo the last 'Process' or 'Fill'."),
    "",
    QT_TR_NOOP("Reverse:   Strip out (rather than retain) 'Add Colors' (opposite of normal Process)."),
    "",
    QT_TR_NOOP("Fill:            Click to fill any area with a color.  Right click button to choose a fill color.  Cursor color can be"),
    QT_TR_NOOP("                 changed by right clicking on the image."),
    "",
    QT_TR_NOOP("Print:         Print the image.  Right click to miniaturize printing."),
    "",
    QT_TR_NOOP("Drop Box: Contains 'Add Color' selections.  The program defaults to black at start up.  One color is required."),
    QT_TR_NOOP("                 Simply click on a color to delete.  If black is not desired, add one additional color and then delete it."),
    " ",
    " ",
    "",
    QT_TR_NOOP("Reset:      Reset selected colors in 'Drop Box' (black default)."),
    "",
    QT_TR_NOOP("0%:           Process time indicator."),
    "",
    QT_TR_NOOP("Quit:         Terminate program."),
    " ",
    "",
    QT_TR_NOOP("Image:      Left click and drag on image to delete data within band lines.  Right click on image to copy to"),
    QT_TR_NOOP("                 clipboard ('Add Color' and 'Fill' buttons must be in up position)."),
  };
  // clang-format on
  QStringList translated;
  for (const char* line : lines) translated << (*line ? tr(line) : QString::fromLatin1(line));
  return translated;
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("Help");
  setWindowTitle(tr("Huesift Help"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kFullSize);
  QFont font("MS Sans Serif");
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  setFont(font);
  // The window's colours are its own: on a dark colour scheme the rest of it (OK, the scroll
  // bars) stays light too.
  QPalette pal = IsDark(palette()) ? style()->standardPalette() : palette();
  pal.setColor(QPalette::Window, kPaleYellow);
  pal.setColor(QPalette::Base, kPaleYellow);
  pal.setColor(QPalette::WindowText, kBlue);
  pal.setColor(QPalette::Text, kBlue);
  setPalette(pal);
  setAutoFillBackground(true);

  // First in the tab order, so it has the focus when the window opens.
  okButton = new QPushButton(tr("OK"), this);
  okButton->setObjectName("okButton");
  okButton->setGeometry(247, kPageHeight, 75, 25);
  okButton->setDefault(true);

  // The page shows through to the window's own background.
  pageArea = new QScrollArea(this);
  pageArea->setObjectName("pageArea");
  pageArea->setFrameShape(QFrame::NoFrame);
  pageArea->setGeometry(0, 0, kFullSize.width(), kPageHeight);
  pageArea->viewport()->setAutoFillBackground(false);
  pageArea->setFocusPolicy(Qt::NoFocus);
  auto* page = new QWidget;
  page->setObjectName("helpPage");
  page->setFixedSize(kFullSize.width(), kPageHeight);
  pageArea->setWidget(page);
  page->setAutoFillBackground(false);

  versionLabel = new QLabel("   Huesift v1.4\nBrevant", page);
  versionLabel->setObjectName("versionLabel");
  versionLabel->move(218, 16);
  versionLabel->adjustSize();

  helpText = new QTextEdit(page);
  helpText->setObjectName("helpText");
  helpText->setGeometry(46, 64, 521, 526);
  helpText->setReadOnly(true);
  helpText->setFrameShape(QFrame::NoFrame);
  helpText->setFocusPolicy(Qt::ClickFocus);  // reachable by the mouse, skipped by Tab
  helpText->setLineWrapMode(QTextEdit::NoWrap);
  helpText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  helpText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  helpText->document()->setDocumentMargin(0);
  const QStringList lines = HelpLines();
  helpText->setFont(FittingFont(font, lines, helpText->width()));
  helpText->setPlainText(lines.join('\n'));
  // Fixed line pitch: the pictures beside the text are placed by it.
  QTextCursor all(helpText->document());
  all.select(QTextCursor::Document);
  QTextBlockFormat pitch;
  pitch.setLineHeight(kLineHeight, QTextBlockFormat::FixedHeight);
  all.mergeBlockFormat(pitch);

  captureIcon = picture(ButtonPicture(Glyph::Camera), {8, 60, 33, 23}, "captureIcon");
  processIcon = picture(ButtonPicture(Glyph::Process), {8, 99, 33, 23}, "processIcon");
  stopIcon = picture(ButtonPicture(Glyph::Stop), {8, 177, 33, 23}, "stopIcon");
  addColourIcon = picture(ButtonPicture(Glyph::AddColour), {8, 216, 33, 23}, "addColourIcon");
  undoIcon = picture(ButtonPicture(Glyph::Undo), {8, 281, 33, 23}, "undoIcon");
  reverseIcon = picture(ButtonPicture(Glyph::Reverse), {8, 307, 33, 23}, "reverseIcon");
  fillIcon = picture(ButtonPicture(Glyph::Fill), {8, 333, 33, 23}, "fillIcon");
  printIcon = picture(ButtonPicture(Glyph::Print), {8, 372, 33, 23}, "printIcon");
  retainedListIcon = picture(RetainedListPicture(), {8, 400, 31, 56}, "retainedListIcon");
  resetIcon = picture(ButtonPicture(Glyph::Reset), {8, 463, 33, 23}, "resetIcon");
  gaugeIcon = picture(GaugePicture(), {14, 489, 26, 23}, "gaugeIcon");
  quitIcon = picture(ButtonPicture(Glyph::Quit), {8, 515, 33, 23}, "quitIcon");

  connect(okButton, &QPushButton::clicked, this, &HelpWindow::onOkClicked);
}

QLabel* HelpWindow::picture(const QPixmap& pixmap, const QRect& geometry, const char* name) {
  auto* label = new QLabel(pageArea->widget());
  label->setObjectName(name);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);  // a narrower control cuts the right edge
  label->setPixmap(pixmap);
  label->setGeometry(geometry);
  return label;
}

void HelpWindow::onOkClicked() {
  accept();
}

void HelpWindow::fitTo(const QRect& available, const QMargins& frame) {
  const QSize room = available.marginsRemoved(frame).size();
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, pageArea);
  const bool tall = room.height() < kFullSize.height();
  const bool wide = room.width() < kFullSize.width() + (tall ? bar : 0);
  // Never smaller than OK's row and a little of the page.
  const QSize size(
      std::max(std::min(room.width(), kFullSize.width() + (tall ? bar : 0)), 120),
      std::max(std::min(room.height(), kFullSize.height() + (wide ? bar : 0)), kOkRow + 60));
  setFixedSize(size);
  pageArea->setGeometry(0, 0, size.width(), size.height() - kOkRow);
  okButton->move((size.width() - okButton->width() + 1) / 2, size.height() - kOkRow);
  // Centred on the available area, its frame inside it.
  const QRect outer(QPoint(0, 0), size.grownBy(frame));
  QPoint corner = available.center() - outer.center();
  corner.setX(std::max(corner.x(), available.left()));
  corner.setY(std::max(corner.y(), available.top()));
  move(corner);
}

void HelpWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) {
    // On the screen of the window Help was clicked in, framed as that window is while this
    // one's frame is not known yet.
    const QWidget* from = QApplication::activeWindow();
    if (!from || from == this) from = parentWidget();
    QScreen* screen = from ? from->screen() : QGuiApplication::primaryScreen();
    const QWidget* framed = frameGeometry() != geometry() || !from ? this : from;
    const QRect outer = framed->frameGeometry();
    const QRect inner = framed->geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (screen) fitTo(screen->availableGeometry(), frame);
  }
  okButton->setFocus(Qt::OtherFocusReason);
}

}  // namespace huesift
