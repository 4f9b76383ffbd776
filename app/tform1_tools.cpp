// SPDX-License-Identifier: GPL-3.0-or-later
// The picture tools and the two colour lists: each handler hands over to its subsystem.
#include "app/tform1.h"
#include "colours/colour_lists.h"
#include "tools/image_tools.h"

namespace huesift {
namespace {

ColourLists ListsOf(TForm1& form) {
  return ColourLists(form.state, form.services, &form, form.ComboBox1, form.Panel12,
                     form.SpeedButton1);
}

}  // namespace

ImageTools& TForm1::tools() {
  if (!tools_) {
    const ToolContext context{
        state,         services,         this,         Image1,
        Image2,        Image5,           SpeedButton1, SpeedButton4,
        SpeedButton11, ComboBox1,        Panel12,      PopupMenu1,
        PopupMenu2,    lastChosenColour, BandLayer,    [this] { return busy(); }};
    tools_ = new ImageTools(context, this);
  }
  return *tools_;
}

void TForm1::SpeedButton1Click() {
  if (refusedWhileBusy(SpeedButton1)) return;
  tools().addColorClicked();
}
void TForm1::SpeedButton4Click() {
  if (refusedWhileBusy(SpeedButton4)) return;
  tools().fillClicked();
}

void TForm1::SpeedButton4MouseDown(Qt::MouseButton button) {
  if (button == Qt::RightButton) popupButtonMenu(PopupMenu2, SpeedButton4, 17);
}

void TForm1::Colors1Click() {
  tools().chooseFillColour();
}
void TForm1::White1Click() {
  state.fillColor = kWhite;
}
void TForm1::Black1Click() {
  state.fillColor = kBlack;
}

void TForm1::Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
  tools().mouseDown(button, x, y);
}
void TForm1::Image1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers, int x, int y) {
  tools().mouseMove(buttons, x, y);
}
void TForm1::Image1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
  tools().mouseUp();
}

void TForm1::ComboBox1Click() {
  ListsOf(*this).retainedListClicked();
}
void TForm1::ComboBox1DropDown() {
  ListsOf(*this).retainedListClicked();
}
void TForm1::ComboBox1Change(int index) {
  ListsOf(*this).retainedListChanged(index);
}
void TForm1::ListBox1Click() {
  ListsOf(*this).candidateChosen();
}
void TForm1::SpeedButton8Click() {
  ListsOf(*this).closeBox();
}

void TForm1::Panel12MouseDown(Qt::MouseButton, const QPoint& globalPos) {
  Panel12->beginDrag(globalPos);
}

}  // namespace huesift
