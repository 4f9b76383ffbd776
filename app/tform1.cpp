#include "app/tform1.h"

#include <QResizeEvent>
#include <QShowEvent>
#include <utility>

#include "app/gauge.h"
#include "app/process_controller.h"
#include "app/thelp.h"
#include "app/toolbar.h"

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
}

bool TForm1::refusedWhileBusy(QToolButton* own) {
  if (state.runState != 1) return false;
  own->setChecked(false);
  own->setDown(false);
  return true;
}

void TForm1::popupButtonMenu(QMenu* menu, QToolButton* button, int dx) {
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
  if (help_) services.execModal(help_);
}

// Every signal of the window is connected here.
void TForm1::connectSignals() {
  connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
  connect(SpeedButton5, &QToolButton::clicked, this, &TForm1::SpeedButton5Click);
  connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
  connect(SpeedButton11, &QToolButton::clicked, this, &TForm1::SpeedButton11Click);
  connect(SpeedButton4, &QToolButton::clicked, this, &TForm1::SpeedButton4Click);
  connect(SpeedButton12, &QToolButton::clicked, this, &TForm1::SpeedButton12Click);
  connect(SpeedButton3, &QToolButton::clicked, this, &TForm1::SpeedButton3Click);
  connect(SpeedButton9, &QToolButton::clicked, this, &TForm1::SpeedButton9Click);
  connect(SpeedButton6, &QToolButton::clicked, this, &TForm1::SpeedButton6Click);
  connect(SpeedButton7, &QToolButton::clicked, this, &TForm1::SpeedButton7Click);
  // Stop is the one toolbar button that acts during a run.
  connect(SpeedButton10, &QToolButton::clicked, this, &TForm1::SpeedButton10Click);

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
  connect(capture, &SpeedButton::mouseDown, this, &TForm1::SpeedButton2MouseDown);
  connect(process, &SpeedButton::mouseDown, this, &TForm1::SpeedButton5MouseDown);
  connect(fill, &SpeedButton::mouseDown, this, &TForm1::SpeedButton4MouseDown);
  connect(print, &SpeedButton::mouseDown, this, &TForm1::SpeedButton3MouseDown);

  connect(ProcessColor1, &QAction::triggered, this, &TForm1::ProcessColor1Click);
  connectTick(Convertwhitetocolor1, &TForm1::Convertwhitetocolor1Click);
  connectTick(ConverttoColor1, &TForm1::ConverttoColor1Click);
  connectTick(Print13Size1, &TForm1::Print13Size1Click);
  connect(Colors1, &QAction::triggered, this, &TForm1::Colors1Click);
  connect(White1, &QAction::triggered, this, &TForm1::White1Click);
  connect(Black1, &QAction::triggered, this, &TForm1::Black1Click);
  connect(Paste2, &QAction::triggered, this, &TForm1::Paste2Click);
  connect(Paste1, &QAction::triggered, this, &TForm1::Paste1Click);

  connect(Image1, &PictureControl::mouseDown, this, &TForm1::Image1MouseDown);
  connect(Image1, &PictureControl::mouseMove, this, &TForm1::Image1MouseMove);
  connect(Image1, &PictureControl::mouseUp, this, &TForm1::Image1MouseUp);

  // Choosing a retained colour runs the click handler first, then the change handler.
  connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Click);
  connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
  connect(ComboBox1, &RetainedColorList::droppedDown, this, &TForm1::ComboBox1DropDown);
  connect(Panel12->ListBox1, &CandidateList::chosen, this, &TForm1::ListBox1Click);
  connect(Panel12->SpeedButton8, &QToolButton::clicked, this, &TForm1::SpeedButton8Click);
  connect(Panel12, &ColourBox::mouseDown, this, &TForm1::Panel12MouseDown);
}

void TForm1::connectTick(QAction* item, void (TForm1::*handler)()) {
  // Qt flips a checkable item's tick before it reports the trigger; the handler is the one
  // that flips it, so Qt's flip is taken back first.
  connect(item, &QAction::triggered, this, [item, this, handler] {
    item->setChecked(!item->isChecked());
    (this->*handler)();
  });
}

}  // namespace huesift
