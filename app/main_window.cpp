// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QShowEvent>
#include <utility>

#include "app/gauge.h"
#include "app/help_window.h"
#include "app/process_controller.h"
#include "app/similar_colours_dialog.h"
#include "colours/colour_lists.h"
#include "io/capture.h"
#include "io/capture_overlay.h"
#include "io/clipboard_transfer.h"
#include "io/picture_files.h"
#include "io/picture_intake.h"
#include "io/printing.h"
#include "platform/guarded_handler.h"
#include "tools/image_tools.h"

namespace huesift {

MainWindow::MainWindow(Services& services, QWidget* parent) : QWidget(parent), services(services) {
  buildLayout();
  createSubsystems();
  connectSignals();
  initialise();
}

MainWindow::~MainWindow() = default;

void MainWindow::createSubsystems() {
  // Top-level windows of their own, shown modally over this one.
  overlay_ = std::make_unique<CaptureOverlay>(
      CaptureOverlay::Parts{.services = services, .state = state, .mainWindow = this});

  process_ = std::make_unique<ProcessController>(
      ProcessController::Parts{.state = state,
                               .services = services,
                               .transitions = *this,
                               .picture = picture,
                               .undoPicture = undoPicture,
                               .reverseButton = reverseButton,
                               .retainedList = retainedList,
                               .gauge = gauge,
                               .convertToColourAction = convertToColourAction,
                               .convertWhiteAction = convertWhiteAction});
  colourLists_ =
      std::make_unique<ColourLists>(ColourLists::Parts{.state = state,
                                                       .services = services,
                                                       .window = this,
                                                       .retainedList = retainedList,
                                                       .colourBox = colourBox,
                                                       .addColourButton = addColourButton});
  tools_ = std::make_unique<ImageTools>(ImageTools::Parts{.state = state,
                                                          .services = services,
                                                          .transitions = *this,
                                                          .lists = *colourLists_,
                                                          .lastChosenColour = lastChosenColour,
                                                          .window = this,
                                                          .picture = picture,
                                                          .sampleSquare = sampleSquare,
                                                          .undoPicture = undoPicture,
                                                          .addColourButton = addColourButton,
                                                          .fillButton = fillButton,
                                                          .retainedList = retainedList,
                                                          .colourBox = colourBox,
                                                          .pictureMenu = pictureMenu,
                                                          .bandLayer = bandLayer,
                                                          .busy = [this] { return busy(); }});
  intake_ = std::make_unique<PictureIntake>(
      PictureIntake::Parts{.state = state, .transitions = *this, .picture = picture});
  paste_ = std::make_unique<Paste>(Paste::Parts{.state = state,
                                                .services = services,
                                                .transitions = *this,
                                                .intake = *intake_,
                                                .mainWindow = this});
  copy_ = std::make_unique<Copy>(Copy::Parts{
      .state = state, .services = services, .picture = picture, .scratch = copyScratch});
  capture_ = std::make_unique<Capture>(Capture::Parts{.state = state,
                                                      .services = services,
                                                      .transitions = *this,
                                                      .overlay = *overlay_,
                                                      .intake = *intake_,
                                                      .mainWindow = this,
                                                      .undoPicture = undoPicture});
  files_ = std::make_unique<PictureFiles>(PictureFiles::Parts{.state = state,
                                                              .services = services,
                                                              .intake = *intake_,
                                                              .lastFile = lastPictureFile,
                                                              .window = this,
                                                              .picture = picture});
  print_ = std::make_unique<Print>(Print::Parts{.services = services,
                                                .transitions = *this,
                                                .mainWindow = this,
                                                .picture = picture,
                                                .addColourButton = addColourButton,
                                                .fillButton = fillButton,
                                                .smallPrintAction = smallPrintAction});
}

HelpWindow& MainWindow::help() {
  if (!help_) help_ = std::make_unique<HelpWindow>();
  return *help_;
}

void MainWindow::initialise() {
  // An ordinary resizable frame, but no way to maximize it.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  colourLists_->resetRetained();
}

void MainWindow::fitOnFirstShow() {
  // Only the first time: coming back from the help window or the capture overlay, or from
  // another application, leaves the window where the user put it.
  if (activated_) return;
  activated_ = true;
  fitToWorkArea();
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  fitOnFirstShow();
}

bool MainWindow::event(QEvent* event) {
  // No event of its own announces the frame, so look for it on whatever comes next.
  if (frameFitPending_ && frameGeometry() != geometry()) {
    fitFrameTo(*std::exchange(frameFitPending_, std::nullopt));
  }
  // Not before: a start-up that prepared a paste would keep the user waiting for the window.
  if (event->type() == QEvent::Paint && !std::exchange(painted_, true))
    services.prepareClipboardRead();
  return QWidget::event(event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  toolbar->resize(width(), toolbar->height());  // docked along the top edge
  placePictureView();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // A key that the widget with the focus had no use for: the arrows and the Page keys scroll
  // the picture.
  if (!pictureView->scrollByKey(event)) QWidget::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted()) emit closed();
}

bool MainWindow::busy() const {
  return state.runState == RunState::Running || process_->running() || paste_->underWay() ||
         windowsOpen_ > 0;
}

bool MainWindow::refusedWhileBusy(QToolButton* own) {
  if (!busy()) return false;
  own->setChecked(false);
  own->setDown(false);
  return true;
}

void MainWindow::popupButtonMenu(QMenu* menu, QToolButton* button, int dx) {
  // A right click queued before a capture or the help window opened stays unanswered.
  if (windowsOpen_ > 0) return;
  menu->popup(QPoint(x() + button->x() - dx, y() + button->y() + 41));
}

void MainWindow::pictureComing() {
  putToolsAway();
}

void MainWindow::pictureArrived(bool hasRows, const QString& name) {
  emptyHint->hide();
  //: The window's title with a picture: the picture's name, then the program's.
  setWindowTitle(tr("%1 - Huesift").arg(name));
  for (QToolButton* tool : {addColourButton, printButton, fillButton, processButton})
    tool->setEnabled(hasRows);
  reverseButton->setEnabled(true);
}

void MainWindow::putToolsAway() {
  // Released directly, not clicked: their click handlers would withdraw an undo just taken.
  addColourButton->setChecked(false);
  fillButton->setChecked(false);
  undoWithdrawn();
  dismissColourBox();
  setCursor(Qt::ArrowCursor);
}

void MainWindow::undoOffered() {
  undoButton->setEnabled(true);
}

void MainWindow::undoWithdrawn() {
  undoButton->setEnabled(false);
}

void MainWindow::runStarted() {
  putToolsAway();
  stopButton->setEnabled(true);
  retainedList->setEnabled(false);
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void MainWindow::runStopped() {
  stopButton->setChecked(true);
  retainedList->setEnabled(true);
}

void MainWindow::runFinished(bool undoable) {
  stopButton->setChecked(false);
  stopButton->setEnabled(false);
  if (undoable) undoOffered();
  retainedList->setEnabled(true);
}

void MainWindow::pasteUnderWay() {
  stopButton->setEnabled(true);
  QApplication::setOverrideCursor(Qt::BusyCursor);
}

void MainWindow::pasteOver() {
  stopButton->setChecked(false);
  stopButton->setEnabled(false);
  QApplication::restoreOverrideCursor();
}

void MainWindow::dismissColourBox() {
  colourBox->hide();
  ClearColourTable(state.candidateColors);
  colourBox->candidateList->clear();
}

void MainWindow::onProcessClicked() {
  // A click that arrives through the run's own event pump must not start a second run.
  if (refusedWhileBusy(processButton)) return;
  process_->run();
}

void MainWindow::onStopClicked() {
  if (paste_->underWay()) return paste_->abandon();
  process_->stop();
}

void MainWindow::onProcessButtonPressed(Qt::MouseButton button) {
  if (button == Qt::RightButton) popupButtonMenu(processMenu, processButton, 35);
}

void MainWindow::onChooseProcessColour() {
  if (const auto chosen = services.chooseColour(this, lastChosenColour)) {
    state.processColor = *chosen;
    lastChosenColour = *chosen;
  }
}

void MainWindow::onChooseSimilarColours() {
  SimilarColoursDialog dialog(
      state.similarDistance,
      [this](int distance) {
        const Picture& raster = picture->picture();
        const int width = std::min(picture->displayWidth(), raster.width());
        const int height = std::min(picture->displayHeight(), raster.height());
        return SimilarColoursDialog::Count{
            .kept = CountRetainedPixels(raster, width, height, state.retainedColors, distance),
            .all = std::int64_t{width} * height};
      },
      this);
  services.execModal(&dialog);
  if (dialog.result() != QDialog::Accepted) return;
  state.similarDistance = dialog.distance();
  similarColoursAction->setText(SimilarColoursItemText(state.similarDistance));
}

void MainWindow::onReverseClicked() {
  // Qt has toggled the button already; a run reads it when it starts, so during a run it
  // is put back up.
  refusedWhileBusy(reverseButton);
}

void MainWindow::onUndoClicked() {
  if (refusedWhileBusy(undoButton)) return;
  picture->setPicture(undoPicture->picture());
  undoWithdrawn();
}

void MainWindow::onResetClicked() {
  if (refusedWhileBusy(resetButton)) return;
  undoWithdrawn();
  dismissColourBox();
  colourLists_->resetRetained();
}

void MainWindow::onQuitClicked() {
  if (refusedWhileBusy(quitButton)) return;
  close();
}

void MainWindow::onHelpClicked() {
  if (refusedWhileBusy(helpButton)) return;
  dismissColourBox();
  withWindowOpen([this] { services.execModal(&help()); });
}

// Every signal of the window is connected here.
void MainWindow::connectSignals() {
  // A key is a click on its button: nothing while the button is disabled, otherwise its
  // click handler with the same refusal while Process runs.
  for (const ToolbarKey& k : toolbarKeys_)
    connect(k.key, &QAction::triggered, k.button, &QAbstractButton::click);

  connectHandler(captureButton, &QToolButton::clicked, &MainWindow::onCaptureClicked);
  connectHandler(processButton, &QToolButton::clicked, &MainWindow::onProcessClicked);
  connectHandler(addColourButton, &QToolButton::clicked, &MainWindow::onAddColourClicked);
  connectHandler(undoButton, &QToolButton::clicked, &MainWindow::onUndoClicked);
  connectHandler(fillButton, &QToolButton::clicked, &MainWindow::onFillClicked);
  connectHandler(reverseButton, &QToolButton::clicked, &MainWindow::onReverseClicked);
  connectHandler(printButton, &QToolButton::clicked, &MainWindow::onPrintClicked);
  connectHandler(resetButton, &QToolButton::clicked, &MainWindow::onResetClicked);
  connectHandler(quitButton, &QToolButton::clicked, &MainWindow::onQuitClicked);
  connectHandler(helpButton, &QToolButton::clicked, &MainWindow::onHelpClicked);
  // Stop is the one toolbar button that acts during a run.
  connectHandler(stopButton, &QToolButton::clicked, &MainWindow::onStopClicked);

  // "Add Color" and "Fill": pressing one releases the other; both may be up.
  connect(addColourButton, &QToolButton::toggled, fillButton, [this](bool down) {
    if (down) fillButton->setChecked(false);
  });
  connect(fillButton, &QToolButton::toggled, addColourButton, [this](bool down) {
    if (down) addColourButton->setChecked(false);
  });

  auto* capture = qobject_cast<ToolbarButton*>(captureButton);
  auto* process = qobject_cast<ToolbarButton*>(processButton);
  auto* fill = qobject_cast<ToolbarButton*>(fillButton);
  auto* print = qobject_cast<ToolbarButton*>(printButton);
  connectHandler(capture, &ToolbarButton::mouseDown, &MainWindow::onCaptureButtonPressed);
  connectHandler(process, &ToolbarButton::mouseDown, &MainWindow::onProcessButtonPressed);
  connectHandler(fill, &ToolbarButton::mouseDown, &MainWindow::onFillButtonPressed);
  connectHandler(print, &ToolbarButton::mouseDown, &MainWindow::onPrintButtonPressed);

  connectHandler(processColourAction, &QAction::triggered, &MainWindow::onChooseProcessColour);
  connectHandler(similarColoursAction, &QAction::triggered, &MainWindow::onChooseSimilarColours);
  connectHandler(fillColourAction, &QAction::triggered, &MainWindow::onChooseFillColour);
  connectHandler(fillWhiteAction, &QAction::triggered, &MainWindow::onFillWhite);
  connectHandler(fillBlackAction, &QAction::triggered, &MainWindow::onFillBlack);
  connectHandler(pasteAction, &QAction::triggered, &MainWindow::onPaste);
  connectHandler(copyAction, &QAction::triggered, &MainWindow::onCopy);
  connectHandler(openAction, &QAction::triggered, &MainWindow::onOpenPicture);
  connectHandler(saveAsAction, &QAction::triggered, &MainWindow::onSavePictureAs);

  connectHandler(picture, &PictureControl::mouseDown, &MainWindow::onPicturePressed);
  connectHandler(picture, &PictureControl::mouseMove, &MainWindow::onPictureMoved);
  connectHandler(picture, &PictureControl::mouseUp, &MainWindow::onPictureReleased);

  // Choosing a retained colour runs the click handler first, then the change handler.
  connectHandler(retainedList, &QComboBox::activated, &MainWindow::onRetainedListClicked);
  connectHandler(retainedList, &QComboBox::activated, &MainWindow::onRetainedListChanged);
  connectHandler(retainedList, &RetainedColourList::droppedDown,
                 &MainWindow::onRetainedListDroppedDown);
  connectHandler(colourBox->candidateList, &CandidateList::chosen, &MainWindow::onCandidateChosen);
  connectHandler(colourBox->retainAllButton, &QToolButton::clicked,
                 &MainWindow::onRetainAllClicked);
  connectHandler(colourBox->closeButton, &QToolButton::clicked,
                 &MainWindow::onColourBoxCloseClicked);
  // The box's keys are clicks on its buttons, live only while it is open.
  connect(colourBox->retainAllKey, &QAction::triggered, colourBox->retainAllButton,
          &QAbstractButton::click);
  connect(colourBox->closeKey, &QAction::triggered, colourBox->closeButton,
          &QAbstractButton::click);
  connectHandler(colourBox, &ColourBox::mouseDown, &MainWindow::onColourBoxPressed);
}

// Every handler runs guarded: an error ends it with one message box, and never unwinds
// through Qt.
template <typename Sender, typename Signal, typename... Args>
void MainWindow::connectHandler(Sender* sender, Signal signal,
                                void (MainWindow::*handler)(Args...)) {
  ConnectGuarded(sender, signal, this, handler, services);
}

}  // namespace huesift
