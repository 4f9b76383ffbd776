// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's layout and its one fit to the desktop's work area.
#include "app/gauge.h"
#include "app/glyphs.h"
#include "app/main_window.h"
#include "app/similar_colours_dialog.h"
#include "app/toolbar.h"

namespace huesift {
namespace {

// The working picture and the hidden ones begin here, under the toolbar and the upper half of
// the line below it.
constexpr int kPictureTop = 28;

PictureControl* MakePicture(QWidget* parent, const char* name, const QRect& geometry,
                            bool visible) {
  auto* picture = new PictureControl(parent);
  picture->setObjectName(name);
  picture->move(geometry.topLeft());
  picture->setDisplaySize(geometry.size());
  picture->setVisible(visible);
  return picture;
}

QAction* MakeItem(QMenu* menu, const char* name, const QString& text, bool tick = false) {
  QAction* item = menu->addAction(text);
  item->setObjectName(name);
  item->setCheckable(tick);
  return item;
}

}  // namespace

void MainWindow::buildLayout() {
  setObjectName("mainWindow");
  setWindowTitle("Huesift");
  setWindowIcon(WindowIcon());
  QFont font("MS Sans Serif");
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  setFont(font);
  // 800 x 572 outside a usual frame; replaced by the work area when first shown.
  move(125, 118);
  resize(792, 545);

  // Created first, so the toolbar and the strips lie above them. The working picture lies in
  // a view that scrolls it when it is larger than the space below the toolbar; unscrolled,
  // it sits where it would without the view.
  pictureView = new PictureView(this);
  pictureView->setObjectName("pictureView");
  placePictureView();
  picture = MakePicture(pictureView->sheet(), "picture", {0, 0, 794, 518}, true);
  pictureView->setPicture(picture);
  // The arrows and Page keys scroll the picture from the start; Tab still walks the toolbar.
  pictureView->setFocus(Qt::OtherFocusReason);
  blankPicture = MakePicture(this, "blankPicture", {-1, kPictureTop, 794, 518}, false);
  blankPicture->setPicture(Picture(794, 518, kWhite));
  sampleSquare = MakePicture(this, "sampleSquare", {-1, kPictureTop, 9, 9}, false);
  copyScratch = MakePicture(this, "copyScratch", {-1, kPictureTop, 1, 1}, false);
  undoPicture = MakePicture(this, "undoPicture", {-1, kPictureTop, 105, 105}, false);
  // Over the visible part of the picture, under the toolbar and the colour box; the band
  // drawn on it reaches past the picture's edge, as far as the user drags in the view.
  bandLayer = new OutlineLayer(this);
  bandLayer->setObjectName("bandLayer");
  bandLayer->setMapping([this](QPoint pixel) {
    return bandLayer->mapFrom(this, picture->mapTo(this, picture->positionOf(pixel)));
  });
  pictureView->addOverlay(bandLayer);

  // Until the first picture comes, the empty area says how to bring one in.
  emptyHint = new QLabel(
      tr("Capture part of the screen, paste a picture with Ctrl+V, open one with Ctrl+O, or "
         "drop a picture file here."),
      this);
  emptyHint->setObjectName("emptyHint");
  emptyHint->setAlignment(Qt::AlignCenter);
  emptyHint->setWordWrap(true);
  // Drops and clicks go to the window beneath it.
  emptyHint->setAttribute(Qt::WA_TransparentForMouseEvents);
  emptyHint->setFont(QFont());  // the desktop's own font, as the menus
  placeEmptyHint();

  toolbarKeys_ = BuildToolbar(*this);
  toolbarBottomLine = MakeStrip(this, "toolbarBottomLine", {-3, kPictureTop - 1, 798, 2});
  toolbarTopLine = MakeStrip(this, "toolbarTopLine", {-6, 1, 801, 2});

  colourBox = new ColourBox(this);  // raised, button face, hidden until a choice is pending
  colourBox->setObjectName("colourBox");
  colourBox->move(315, 32);  // it sizes itself: 161 wide, or what its title row needs

  pictureMenu = new QMenu(this);
  copyAction = MakeItem(pictureMenu, "copyAction", tr("Copy"));
  saveAsAction = MakeItem(pictureMenu, "saveAsAction", tr("Save Picture As..."));
  fillMenu = new QMenu(this);
  fillColourAction = MakeItem(fillMenu, "fillColourAction", tr("Color..."));
  fillWhiteAction = MakeItem(fillMenu, "fillWhiteAction", tr("White"));
  fillBlackAction = MakeItem(fillMenu, "fillBlackAction", tr("Black"));
  processMenu = new QMenu(this);
  processColourAction = MakeItem(processMenu, "processColourAction", tr("Process Color..."));
  convertWhiteAction =
      MakeItem(processMenu, "convertWhiteAction", tr("Convert White to Color"), true);
  convertToColourAction =
      MakeItem(processMenu, "convertToColourAction", tr("Convert to Color"), true);
  similarColoursAction =
      MakeItem(processMenu, "similarColoursAction", SimilarColoursItemText(state.similarDistance));
  captureMenu = new QMenu(this);
  pasteAction = MakeItem(captureMenu, "pasteAction", tr("Paste"));
  openAction = MakeItem(captureMenu, "openAction", tr("Open Picture..."));
  printMenu = new QMenu(this);
  smallPrintAction = MakeItem(printMenu, "smallPrintAction", tr("Print 1/3 Size"), true);
  for (QMenu* menu : {pictureMenu, fillMenu, processMenu, captureMenu, printMenu}) {
    menu->setFont(QFont());  // menus in the desktop's own font
  }
  // Their keys work in the whole window, not only while their menus are open.
  copyAction->setShortcut(QKeySequence::Copy);
  pasteAction->setShortcut(QKeySequence::Paste);
  openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  // There is no plain "Save": every save asks where, so both keys ask.
  saveAsAction->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
  addActions({copyAction, pasteAction, openAction, saveAsAction});
  setAcceptDrops(true);
}

void MainWindow::fitToWorkArea() {
  const QRect area = services.workArea(this);
  fitFrameTo(area);
  // A window manager frames the window only after it is first shown; until then the frame
  // is unknown, and the first fit is finished when it arrives.
  if (frameGeometry() == geometry()) frameFitPending_ = area;

  // Pictures are counted in screen pixels, so the work area's size is recorded in them.
  const QSize pixels = picture->pixelSizeOf(area.size());
  state.workAreaWidth = pixels.width();
  state.workAreaHeight = pixels.height();
  // Sizing the controls leaves the pictures they hold as they are.
  for (PictureControl* control : {picture, undoPicture, blankPicture})
    control->setDisplaySize(pixels);
  toolbarBottomLine->resize(area.width(), toolbarBottomLine->height());
  toolbarTopLine->resize(area.width(), toolbarTopLine->height());
  colourBox->move(area.width() / 2 - colourBox->width() / 2, area.top() + 30);
}

void MainWindow::placePictureView() {
  // From one pixel left of the window's edge, as the picture always lay, to the window's
  // right and bottom edges.
  pictureView->setGeometry(-1, kPictureTop, width() + 1, height() - kPictureTop);
  placeEmptyHint();
}

void MainWindow::placeEmptyHint() {
  if (emptyHint)
    emptyHint->setGeometry(QRect(24, kPictureTop, width() - 48, height() - kPictureTop));
}

void MainWindow::fitFrameTo(const QRect& area) {
  // The work area is for the whole window, frame included.
  const QRect outer = frameGeometry();
  const QRect inner = geometry();
  const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                       outer.right() - inner.right(), outer.bottom() - inner.bottom());
  setGeometry(area.marginsRemoved(frame));
}

}  // namespace huesift
