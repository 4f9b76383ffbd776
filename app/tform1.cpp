// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/tform1.h"

#include <QCloseEvent>
#include <QResizeEvent>
#include <QShowEvent>
#include <utility>

#include "app/gauge.h"
#include "app/process_controller.h"
#include "app/thelp.h"
#include "app/toolbar.h"
#include "platform/guarded_handler.h"

namespace huesift {

TForm1::TForm1(Services& services, QWidget* parent) : QWidget(parent), services(services) {
  buildLayout();
  const ProcessControls controls{.window = this,
                                 .picture = Image1,
                                 .undo = Image5,
                                 .process = SpeedButton5,
                                 .stop = SpeedButton10,
                                 .undoButton = SpeedButton11,
                                 .addColor = SpeedButton1,
                                 .fill = SpeedButton4,
                                 .reverse = SpeedButton12,
                                 .retainedList = ComboBox1,
                                 .gauge = Gauge1,
                                 .convertToColor = ConverttoColor1,
                                 .convertWhite = Convertwhitetocolor1};
  process_ = std::make_unique<ProcessController>(state, services, controls,
                                                 [this] { DismissColourBox(); });
  connectSignals();
  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
  // An ordinary resizable frame, but no way to maximize it.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  ComboBox1->clear();
  ComboBox1->appendColour(kBlack);
  ResetRetainedColors(state);
}

void TForm1::FormActivate() {
  // Only the first time: coming back from the help window or the capture overlay, or from
  // another application, leaves the window where the user put it.
  if (activated_) return;
  activated_ = true;
  fitToWorkArea();
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FormActivate();
}

bool TForm1::event(QEvent* event) {
  // No event of its own announces the frame, so look for it on whatever comes next.
  if (frameFitPending_ && frameGeometry() != geometry()) {
    fitFrameTo(*std::exchange(frameFitPending_, std::nullopt));
  }
  return QWidget::event(event);
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ToolBar1->resize(width(), ToolBar1->height());  // docked along the top edge
  BandLayer->setGeometry(rect());
}

void TForm1::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted()) emit closed();
}

bool TForm1::busy() const {
  return state.runState == 1 || process_->running() || windowsOpen_ > 0;
}

bool TForm1::refusedWhileBusy(QToolButton* own) {
  if (!busy()) return false;
  own->setChecked(false);
  own->setDown(false);
  return true;
}

void TForm1::popupButtonMenu(QMenu* menu, QToolButton* button, int dx) {
  // A right click queued before a capture or the help window opened stays unanswered.
  if (windowsOpen_ > 0) return;
  menu->popup(QPoint(x() + button->x() - dx, y() + button->y() + 41));
}

void TForm1::DismissColourBox() {
  Panel12->hide();
  ClearColorTable(state.candidateColors);
  Panel12->ListBox1->clear();
}

void TForm1::SpeedButton5Click() {
  // A click that arrives through the run's own event pump must not start a second run.
  if (refusedWhileBusy(SpeedButton5)) return;
  process_->run();
}

void TForm1::SpeedButton10Click() {
  process_->stop();
}

void TForm1::SpeedButton5MouseDown(Qt::MouseButton button) {
  if (button == Qt::RightButton) popupButtonMenu(PopupMenu3, SpeedButton5, 35);
}

void TForm1::ProcessColor1Click() {
  if (const auto chosen = services.chooseColour(this, lastChosenColour)) {
    state.processColor = *chosen;
    lastChosenColour = *chosen;
  }
}

void TForm1::Convertwhitetocolor1Click() {
  Convertwhitetocolor1->setChecked(!Convertwhitetocolor1->isChecked());
}

void TForm1::ConverttoColor1Click() {
  ConverttoColor1->setChecked(!ConverttoColor1->isChecked());
}

void TForm1::SpeedButton12Click() {
  // Qt has toggled the button already; a run reads it when it starts, so during a run it
  // is put back up.
  refusedWhileBusy(SpeedButton12);
}

void TForm1::SpeedButton11Click() {
  if (refusedWhileBusy(SpeedButton11)) return;
  Image1->setPicture(Image5->picture());
  SpeedButton11->setEnabled(false);
}

void TForm1::SpeedButton9Click() {
  if (refusedWhileBusy(SpeedButton9)) return;
  SpeedButton11->setEnabled(false);
  DismissColourBox();
  ComboBox1->clear();
  ComboBox1->appendColour(kBlack);
  ResetRetainedColors(state);
  ComboBox1->resetBackgroundColour();  // it carries the tint of the last added colour
}

void TForm1::SpeedButton6Click() {
  if (refusedWhileBusy(SpeedButton6)) return;
  close();
}

void TForm1::SpeedButton7Click() {
  if (refusedWhileBusy(SpeedButton7)) return;
  DismissColourBox();
  if (help_) withWindowOpen([this] { services.execModal(help_); });
}

// Every signal of the window is connected here.
void TForm1::connectSignals() {
  connectHandler(SpeedButton2, &QToolButton::clicked, &TForm1::SpeedButton2Click);
  connectHandler(SpeedButton5, &QToolButton::clicked, &TForm1::SpeedButton5Click);
  connectHandler(SpeedButton1, &QToolButton::clicked, &TForm1::SpeedButton1Click);
  connectHandler(SpeedButton11, &QToolButton::clicked, &TForm1::SpeedButton11Click);
  connectHandler(SpeedButton4, &QToolButton::clicked, &TForm1::SpeedButton4Click);
  connectHandler(SpeedButton12, &QToolButton::clicked, &TForm1::SpeedButton12Click);
  connectHandler(SpeedButton3, &QToolButton::clicked, &TForm1::SpeedButton3Click);
  connectHandler(SpeedButton9, &QToolButton::clicked, &TForm1::SpeedButton9Click);
  connectHandler(SpeedButton6, &QToolButton::clicked, &TForm1::SpeedButton6Click);
  connectHandler(SpeedButton7, &QToolButton::clicked, &TForm1::SpeedButton7Click);
  // Stop is the one toolbar button that acts during a run.
  connectHandler(SpeedButton10, &QToolButton::clicked, &TForm1::SpeedButton10Click);

  // "Add Color" and "Fill": pressing one releases the other; both may be up.
  connect(SpeedButton1, &QToolButton::toggled, SpeedButton4, [this](bool down) {
    if (down) SpeedButton4->setChecked(false);
  });
  connect(SpeedButton4, &QToolButton::toggled, SpeedButton1, [this](bool down) {
    if (down) SpeedButton1->setChecked(false);
  });

  auto* capture = qobject_cast<SpeedButton*>(SpeedButton2);
  auto* process = qobject_cast<SpeedButton*>(SpeedButton5);
  auto* fill = qobject_cast<SpeedButton*>(SpeedButton4);
  auto* print = qobject_cast<SpeedButton*>(SpeedButton3);
  connectHandler(capture, &SpeedButton::mouseDown, &TForm1::SpeedButton2MouseDown);
  connectHandler(process, &SpeedButton::mouseDown, &TForm1::SpeedButton5MouseDown);
  connectHandler(fill, &SpeedButton::mouseDown, &TForm1::SpeedButton4MouseDown);
  connectHandler(print, &SpeedButton::mouseDown, &TForm1::SpeedButton3MouseDown);

  connectHandler(ProcessColor1, &QAction::triggered, &TForm1::ProcessColor1Click);
  connectTick(Convertwhitetocolor1, &TForm1::Convertwhitetocolor1Click);
  connectTick(ConverttoColor1, &TForm1::ConverttoColor1Click);
  connectTick(Print13Size1, &TForm1::Print13Size1Click);
  connectHandler(Colors1, &QAction::triggered, &TForm1::Colors1Click);
  connectHandler(White1, &QAction::triggered, &TForm1::White1Click);
  connectHandler(Black1, &QAction::triggered, &TForm1::Black1Click);
  connectHandler(Paste2, &QAction::triggered, &TForm1::Paste2Click);
  connectHandler(Paste1, &QAction::triggered, &TForm1::Paste1Click);
  connectHandler(OpenPicture1, &QAction::triggered, &TForm1::OpenPicture1Click);
  connectHandler(SavePictureAs1, &QAction::triggered, &TForm1::SavePictureAs1Click);

  connectHandler(Image1, &PictureControl::mouseDown, &TForm1::Image1MouseDown);
  connectHandler(Image1, &PictureControl::mouseMove, &TForm1::Image1MouseMove);
  connectHandler(Image1, &PictureControl::mouseUp, &TForm1::Image1MouseUp);

  // Choosing a retained colour runs the click handler first, then the change handler.
  connectHandler(ComboBox1, &QComboBox::activated, &TForm1::ComboBox1Click);
  connectHandler(ComboBox1, &QComboBox::activated, &TForm1::ComboBox1Change);
  connectHandler(ComboBox1, &RetainedColorList::droppedDown, &TForm1::ComboBox1DropDown);
  connectHandler(Panel12->ListBox1, &CandidateList::chosen, &TForm1::ListBox1Click);
  connectHandler(Panel12->SpeedButton8, &QToolButton::clicked, &TForm1::SpeedButton8Click);
  connectHandler(Panel12, &ColourBox::mouseDown, &TForm1::Panel12MouseDown);
}

void TForm1::connectTick(QAction* item, void (TForm1::*handler)()) {
  // Qt flips a checkable item's tick before it reports the trigger; the handler is the one
  // that flips it, so Qt's flip is taken back first.
  connect(item, &QAction::triggered, this, [item, this, handler] {
    item->setChecked(!item->isChecked());
    RunGuarded(services, this, [&] { (this->*handler)(); });
  });
}

// Every handler runs guarded: an error ends it with one message box, and never unwinds
// through Qt.
template <typename Sender, typename Signal, typename... Args>
void TForm1::connectHandler(Sender* sender, Signal signal, void (TForm1::*handler)(Args...)) {
  ConnectGuarded(sender, signal, this, handler, services);
}

}  // namespace huesift
