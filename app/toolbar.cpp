// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/toolbar.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>

#include "app/gauge.h"
#include "app/main_window.h"
#include "colours/retained_colour_list.h"
#include "platform/contrast.h"

namespace huesift {
namespace {

// A toolbar key is live only while its button is enabled. A key that could only click a
// disabled button (Escape while nothing runs) is then free for the control that uses it at
// that time (the colour box's Escape) instead of making the key ambiguous and dead for both.
class KeyFollowsButton : public QObject {
 public:
  KeyFollowsButton(QAction* key, QWidget* button) : QObject(key), key_(key) {
    key->setEnabled(button->isEnabled());
    button->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::EnabledChange)
      key_->setEnabled(static_cast<QWidget*>(watched)->isEnabled());
    return false;
  }

 private:
  QAction* key_;
};

constexpr int kItemTop = 2;
constexpr int kItemHeight = 23;
constexpr int kButtonWidth = 34;
constexpr int kToolbarHeight = 27;

struct ButtonSpec {
  QToolButton* MainWindow::*member;
  const char* name;
  int x;
  const char* hint;  // empty: no tooltip; translated when shown
  Glyph glyph;
  bool toggle;
  bool enabledAtStart;
  QKeyCombination key = {};  // none when empty
};

// Left to right; the gaps between buttons are the spacers below.
const ButtonSpec kButtons[] = {
    {&MainWindow::captureButton, "captureButton", 12,
     QT_TRANSLATE_NOOP("huesift::Toolbar", "Capture"), Glyph::Camera, false, true},
    {&MainWindow::processButton, "processButton", 49,
     QT_TRANSLATE_NOOP("huesift::Toolbar", "Process"), Glyph::Process, false, false},
    {&MainWindow::stopButton, "stopButton", 86, "", Glyph::Stop, true, false, Qt::Key_Escape},
    {&MainWindow::addColourButton, "addColourButton", 123,
     QT_TRANSLATE_NOOP("huesift::Toolbar", "Add Color"), Glyph::AddColour, true, false},
    {&MainWindow::undoButton, "undoButton", 160, QT_TRANSLATE_NOOP("huesift::Toolbar", "Undo"),
     Glyph::Undo, false, false, Qt::CTRL | Qt::Key_Z},
    {&MainWindow::fillButton, "fillButton", 197, QT_TRANSLATE_NOOP("huesift::Toolbar", "Fill"),
     Glyph::Fill, true, false},
    {&MainWindow::reverseButton, "reverseButton", 234,
     QT_TRANSLATE_NOOP("huesift::Toolbar", "Reverse Process"), Glyph::Reverse, true, false},
    {&MainWindow::printButton, "printButton", 271, QT_TRANSLATE_NOOP("huesift::Toolbar", "Print"),
     Glyph::Print, false, false, Qt::CTRL | Qt::Key_P},
    {&MainWindow::resetButton, "resetButton", 466, QT_TRANSLATE_NOOP("huesift::Toolbar", "Reset"),
     Glyph::Reset, false, true},
    {&MainWindow::quitButton, "quitButton", 719, QT_TRANSLATE_NOOP("huesift::Toolbar", "Quit"),
     Glyph::Quit, false, true, Qt::CTRL | Qt::Key_Q},
    {&MainWindow::helpButton, "helpButton", 756, QT_TRANSLATE_NOOP("huesift::Toolbar", "Help"),
     Glyph::Help, false, true, Qt::Key_F1},
};

struct SpacerSpec {
  const char* name;
  int x;
  int width;
};

const SpacerSpec kSpacers[] = {
    {"leftMargin", 0, 12},         {"gapAfterCapture", 46, 3},
    {"gapAfterProcess", 83, 3},    {"gapAfterStop", 120, 3},
    {"gapAfterAddColour", 157, 3}, {"gapAfterUndo", 194, 3},
    {"gapAfterFill", 231, 3},      {"gapAfterReverse", 268, 3},
    {"gapAfterPrint", 305, 12},    {"gapAfterRetainedList", 462, 4},
    {"gapAfterReset", 500, 12},    {"gapAfterGauge", 707, 12},
    {"gapAfterQuit", 753, 3},
};

}  // namespace

QColor ToolbarColour() {
  const Colour c = 0x0099CC;
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

ToolbarButton::ToolbarButton(QWidget* parent) : QToolButton(parent) {
  setAutoRaise(false);
  // Reached with Tab and pressed with Space, but a mouse click leaves the focus where it was.
  setFocusPolicy(Qt::TabFocus);
}

void ToolbarButton::mousePressEvent(QMouseEvent* event) {
  emit mouseDown(event->button());
  QToolButton::mousePressEvent(event);
}

void ToolbarButton::contextMenuEvent(QContextMenuEvent* event) {
  // The menu key does for a focused button what the right button does: open its menu. A
  // right click has opened it already, on the press.
  if (event->reason() != QContextMenuEvent::Keyboard) {
    QToolButton::contextMenuEvent(event);
    return;
  }
  event->accept();
  emit mouseDown(Qt::RightButton);
}

ToolBarStrip::ToolBarStrip(QWidget* parent) : QWidget(parent) {}

void ToolBarStrip::keepButtonFacesLight() {
  const bool dark = IsDark(palette());
  for (ToolbarButton* button : findChildren<ToolbarButton*>(Qt::FindDirectChildrenOnly))
    button->setPalette(dark ? QApplication::style()->standardPalette() : QPalette());
}

void ToolBarStrip::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) keepButtonFacesLight();
}

void ToolBarStrip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), ToolbarColour());
  p.setPen(palette().color(QPalette::Dark));
  p.drawLine(0, 0, width() - 1, 0);
  p.setPen(palette().color(QPalette::Light));
  p.drawLine(0, 1, width() - 1, 1);
}

QFrame* MakeStrip(QWidget* parent, const QString& name, const QRect& geometry) {
  auto* strip = new QFrame(parent);
  strip->setObjectName(name);
  strip->setFrameShape(QFrame::NoFrame);
  strip->setAutoFillBackground(true);
  QPalette pal = strip->palette();
  pal.setColor(QPalette::Window, ToolbarColour());
  strip->setPalette(pal);
  strip->setGeometry(geometry);
  return strip;
}

std::vector<ToolbarKey> BuildToolbar(MainWindow& window) {
  std::vector<ToolbarKey> keys;
  auto* bar = new ToolBarStrip(&window);
  bar->setObjectName("toolbar");
  bar->setGeometry(0, 0, 795, kToolbarHeight);
  window.toolbar = bar;

  for (const SpacerSpec& s : kSpacers) {
    MakeStrip(bar, s.name, QRect(s.x, kItemTop, s.width, kItemHeight));
  }
  for (const ButtonSpec& b : kButtons) {
    auto* button = new ToolbarButton(bar);
    button->setObjectName(b.name);
    button->setGeometry(b.x, kItemTop, kButtonWidth, kItemHeight);
    button->setIcon(GlyphIcon(b.glyph));
    button->setIconSize(GlyphSize(b.glyph));
    const QString hint = QCoreApplication::translate("huesift::Toolbar", b.hint);
    button->setAccessibleName(
        hint.isEmpty() ? QCoreApplication::translate("huesift::Toolbar", "Stop") : hint);
    QString tip = hint;
    if (!tip.isEmpty() && b.key != QKeyCombination()) {
      tip += QStringLiteral(" (%1)").arg(QKeySequence(b.key).toString(QKeySequence::NativeText));
    }
    button->setToolTip(tip);
    button->setCheckable(b.toggle);
    button->setEnabled(b.enabledAtStart);
    window.*b.member = button;
    if (b.key != QKeyCombination()) {
      auto* key = new QAction(&window);
      key->setObjectName(QString::fromUtf8(b.name) + QStringLiteral("Key"));
      key->setShortcut(b.key);
      window.addAction(key);
      new KeyFollowsButton(key, button);
      keys.push_back({key, button});
    }
  }

  bar->keepButtonFacesLight();

  window.retainedList = new RetainedColourList(bar);
  window.retainedList->setObjectName("retainedList");
  window.retainedList->setGeometry(317, kItemTop, 145, 22);
  window.retainedList->setToolTip(
      QCoreApplication::translate("huesift::Toolbar", "Retained Colors"));
  window.retainedList->setAccessibleName(
      QCoreApplication::translate("huesift::Toolbar", "Retained Colors"));
  window.retainedList->setMaxVisibleItems(30);

  window.gauge = new Gauge(bar);
  window.gauge->setObjectName("gauge");
  window.gauge->setGeometry(512, kItemTop, 195, kItemHeight);
  window.gauge->setAccessibleName(QCoreApplication::translate("huesift::Toolbar", "Progress"));

  // Tab goes left to right, as the items stand.
  QWidget* order[] = {window.captureButton,   window.processButton, window.stopButton,
                      window.addColourButton, window.undoButton,    window.fillButton,
                      window.reverseButton,   window.printButton,   window.retainedList,
                      window.resetButton,     window.quitButton,    window.helpButton};
  for (std::size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
  return keys;
}

}  // namespace huesift
