// SPDX-License-Identifier: GPL-3.0-or-later
// The picture tools and the two colour lists: each handler hands over to its subsystem.
#include "app/main_window.h"
#include "colours/colour_lists.h"
#include "tools/image_tools.h"

namespace huesift {

void MainWindow::onAddColourClicked() {
  if (refusedWhileBusy(addColourButton)) return;
  tools_->addColourClicked();
}
void MainWindow::onFillClicked() {
  if (refusedWhileBusy(fillButton)) return;
  tools_->fillClicked();
}

void MainWindow::onFillButtonPressed(Qt::MouseButton button) {
  if (button == Qt::RightButton) popupButtonMenu(fillMenu, fillButton, 17);
}

void MainWindow::onChooseFillColour() {
  tools_->chooseFillColour();
}
void MainWindow::onFillWhite() {
  state.fillColor = kWhite;
}
void MainWindow::onFillBlack() {
  state.fillColor = kBlack;
}

void MainWindow::onPicturePressed(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
  tools_->mouseDown(button, x, y);
}
void MainWindow::onPictureMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers, int x, int y) {
  tools_->mouseMove(buttons, x, y);
}
void MainWindow::onPictureReleased(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
  tools_->mouseUp();
}

void MainWindow::onRetainedListClicked() {
  colourLists_->retainedListClicked();
}
void MainWindow::onRetainedListDroppedDown() {
  colourLists_->retainedListClicked();
}
void MainWindow::onRetainedListChanged(int index) {
  colourLists_->retainedListChanged(index);
}
void MainWindow::onCandidateChosen() {
  colourLists_->candidateChosen();
}
void MainWindow::onRetainAllClicked() {
  colourLists_->retainAll();
}
void MainWindow::onColourBoxCloseClicked() {
  colourLists_->closeBox();
}

void MainWindow::onColourBoxPressed(Qt::MouseButton, const QPoint& globalPos) {
  colourBox->beginDrag(globalPos);
}

}  // namespace huesift
