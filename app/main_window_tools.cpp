// SPDX-License-Identifier: GPL-3.0-or-later
// The picture tools and the two colour lists: each handler hands over to its subsystem.
#include "app/main_window.h"
#include "colours/colour_lists.h"
#include "tools/image_tools.h"

namespace huesift {
namespace {

ColourLists ListsOf(MainWindow& window) {
  return ColourLists(window.state, window.services, &window, window.retainedList, window.colourBox,
                     window.addColourButton);
}

}  // namespace

ImageTools& MainWindow::tools() {
  if (!tools_) {
    const ToolContext context{state,
                              services,
                              this,
                              picture,
                              sampleSquare,
                              undoPicture,
                              addColourButton,
                              fillButton,
                              undoButton,
                              retainedList,
                              colourBox,
                              pictureMenu,
                              fillMenu,
                              lastChosenColour,
                              bandLayer,
                              [this] { return busy(); }};
    tools_ = new ImageTools(context, this);
  }
  return *tools_;
}

void MainWindow::onAddColourClicked() {
  if (refusedWhileBusy(addColourButton)) return;
  tools().addColorClicked();
}
void MainWindow::onFillClicked() {
  if (refusedWhileBusy(fillButton)) return;
  tools().fillClicked();
}

void MainWindow::onFillButtonPressed(Qt::MouseButton button) {
  if (button == Qt::RightButton) popupButtonMenu(fillMenu, fillButton, 17);
}

void MainWindow::onChooseFillColour() {
  tools().chooseFillColour();
}
void MainWindow::onFillWhite() {
  state.fillColor = kWhite;
}
void MainWindow::onFillBlack() {
  state.fillColor = kBlack;
}

void MainWindow::onPicturePressed(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
  tools().mouseDown(button, x, y);
}
void MainWindow::onPictureMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers, int x, int y) {
  tools().mouseMove(buttons, x, y);
}
void MainWindow::onPictureReleased(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
  tools().mouseUp();
}

void MainWindow::onRetainedListClicked() {
  ListsOf(*this).retainedListClicked();
}
void MainWindow::onRetainedListDroppedDown() {
  ListsOf(*this).retainedListClicked();
}
void MainWindow::onRetainedListChanged(int index) {
  ListsOf(*this).retainedListChanged(index);
}
void MainWindow::onCandidateChosen() {
  ListsOf(*this).candidateChosen();
}
void MainWindow::onColourBoxCloseClicked() {
  ListsOf(*this).closeBox();
}

void MainWindow::onColourBoxPressed(Qt::MouseButton, const QPoint& globalPos) {
  colourBox->beginDrag(globalPos);
}

}  // namespace huesift
