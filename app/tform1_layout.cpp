// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's layout and its one fit to the desktop's work area.
#include "app/gauge.h"
#include "app/glyphs.h"
#include "app/tform1.h"
#include "app/toolbar.h"

namespace huesift {
namespace {

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

void TForm1::buildLayout() {
  setObjectName("Form1");
  setWindowTitle("Huesift");
  setWindowIcon(WindowIcon());
  QFont font("MS Sans Serif");
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  setFont(font);
  // 800 x 572 outside a usual frame; replaced by the work area when first shown.
  move(125, 118);
  resize(792, 545);

  // Created first, so the toolbar and the strips lie above them.
  Image1 = MakePicture(this, "Image1", {-1, 28, 794, 518}, true);
  Image3 = MakePicture(this, "Image3", {-1, 28, 794, 518}, false);
  Image3->setPicture(Picture(794, 518, kWhite));
  Image2 = MakePicture(this, "Image2", {-1, 28, 9, 9}, false);
  Image4 = MakePicture(this, "Image4", {-1, 28, 1, 1}, false);
  Image5 = MakePicture(this, "Image5", {-1, 28, 105, 105}, false);
  // Over the pictures, under the toolbar and the colour box; the band drawn on it reaches
  // past the picture's edge, as far as the user drags.
  BandLayer = new OutlineLayer(this);
  BandLayer->setObjectName("BandLayer");
  BandLayer->setGeometry(rect());
  BandLayer->setMapping([this](QPoint pixel) {
    return BandLayer->mapFrom(this, Image1->mapTo(this, Image1->positionOf(pixel)));
  });

  BuildToolbar(*this);
  Panel2 = MakeStrip(this, "Panel2", {-3, 27, 798, 2});
  Panel7 = MakeStrip(this, "Panel7", {-6, 1, 801, 2});

  Panel12 = new ColourBox(this);  // raised, button face, hidden until a choice is pending
  Panel12->setObjectName("Panel12");
  Panel12->setGeometry(315, 32, 161, 142);

  PopupMenu1 = new QMenu(this);
  Paste1 = MakeItem(PopupMenu1, "Paste1", "Copy");
  SavePictureAs1 = MakeItem(PopupMenu1, "SavePictureAs1", "Save Picture As...");
  PopupMenu2 = new QMenu(this);
  Colors1 = MakeItem(PopupMenu2, "Colors1", "Color...");
  White1 = MakeItem(PopupMenu2, "White1", "White");
  Black1 = MakeItem(PopupMenu2, "Black1", "Black");
  PopupMenu3 = new QMenu(this);
  ProcessColor1 = MakeItem(PopupMenu3, "ProcessColor1", "Process Color...");
  Convertwhitetocolor1 =
      MakeItem(PopupMenu3, "Convertwhitetocolor1", "Convert White to Color", true);
  ConverttoColor1 = MakeItem(PopupMenu3, "ConverttoColor1", "Convert to Color", true);
  PopupMenu4 = new QMenu(this);
  Paste2 = MakeItem(PopupMenu4, "Paste2", "Paste");
  OpenPicture1 = MakeItem(PopupMenu4, "OpenPicture1", "Open Picture...");
  PopupMenu5 = new QMenu(this);
  Print13Size1 = MakeItem(PopupMenu5, "Print13Size1", "Print 1/3 Size", true);
  for (QMenu* menu : {PopupMenu1, PopupMenu2, PopupMenu3, PopupMenu4, PopupMenu5}) {
    menu->setFont(QFont());  // menus in the desktop's own font
  }
  // Their keys work in the whole window, not only while their menus are open.
  Paste1->setShortcut(QKeySequence::Copy);
  Paste2->setShortcut(QKeySequence::Paste);
  OpenPicture1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  // There is no plain "Save": every save asks where, so both keys ask.
  SavePictureAs1->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
  addActions({Paste1, Paste2, OpenPicture1, SavePictureAs1});
  setAcceptDrops(true);
}

void TForm1::fitToWorkArea() {
  const QRect area = services.workArea(this);
  fitFrameTo(area);
  // A window manager frames the window only after it is first shown; until then the frame
  // is unknown, and the first fit is finished when it arrives.
  if (frameGeometry() == geometry()) frameFitPending_ = area;

  // Pictures are counted in screen pixels, so the work area's size is recorded in them.
  const QSize pixels = Image1->pixelSizeOf(area.size());
  state.workAreaWidth = pixels.width();
  state.workAreaHeight = pixels.height();
  // Sizing the controls leaves the pictures they hold as they are.
  for (PictureControl* picture : {Image1, Image5, Image3}) picture->setDisplaySize(pixels);
  Panel2->resize(area.width(), Panel2->height());
  Panel7->resize(area.width(), Panel7->height());
  Panel12->move(area.width() / 2 - Panel12->width() / 2, area.top() + 30);
}

void TForm1::fitFrameTo(const QRect& area) {
  // The work area is for the whole window, frame included.
  const QRect outer = frameGeometry();
  const QRect inner = geometry();
  const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                       outer.right() - inner.right(), outer.bottom() - inner.bottom());
  setGeometry(area.marginsRemoved(frame));
}

}  // namespace huesift
