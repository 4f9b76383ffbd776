// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/toolbar.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>

#include "app/gauge.h"
#include "app/tform1.h"
#include "colours/retained_color_list.h"

namespace huesift {
namespace {

constexpr int kItemTop = 2;
constexpr int kItemHeight = 23;
constexpr int kButtonWidth = 34;
constexpr int kToolbarHeight = 27;

struct ButtonSpec {
  QToolButton* TForm1::*member;
  const char* name;
  int x;
  const char* hint;  // empty: no tooltip
  Glyph glyph;
  bool toggle;
  bool enabledAtStart;
  QKeyCombination key = {};  // none when empty
};

// Left to right; the gaps between buttons are the spacers below.
const ButtonSpec kButtons[] = {
    {&TForm1::SpeedButton2, "SpeedButton2", 12, "Capture", Glyph::Camera, false, true},
    {&TForm1::SpeedButton5, "SpeedButton5", 49, "Process", Glyph::Process, false, false},
    {&TForm1::SpeedButton10, "SpeedButton10", 86, "", Glyph::Stop, true, false, Qt::Key_Escape},
    {&TForm1::SpeedButton1, "SpeedButton1", 123, "Add Color", Glyph::AddColor, true, false},
    {&TForm1::SpeedButton11, "SpeedButton11", 160, "Undo", Glyph::Undo, false, false,
     Qt::CTRL | Qt::Key_Z},
    {&TForm1::SpeedButton4, "SpeedButton4", 197, "Fill", Glyph::Fill, true, false},
    {&TForm1::SpeedButton12, "SpeedButton12", 234, "Reverse Process", Glyph::Reverse, true, false},
    {&TForm1::SpeedButton3, "SpeedButton3", 271, "Print", Glyph::Print, false, false,
     Qt::CTRL | Qt::Key_P},
    {&TForm1::SpeedButton9, "SpeedButton9", 466, "Reset", Glyph::Reset, false, true},
    {&TForm1::SpeedButton6, "SpeedButton6", 719, "Quit", Glyph::Quit, false, true,
     Qt::CTRL | Qt::Key_Q},
    {&TForm1::SpeedButton7, "SpeedButton7", 756, "Help", Glyph::Help, false, true, Qt::Key_F1},
};

struct SpacerSpec {
  const char* name;
  int x;
  int width;
};

const SpacerSpec kSpacers[] = {
    {"Panel3", 0, 12},   {"Panel5", 46, 3},  {"Panel14", 83, 3},   {"Panel9", 120, 3},
    {"Panel15", 157, 3}, {"Panel6", 194, 3}, {"Panel16", 231, 3},  {"Panel8", 268, 3},
    {"Panel4", 305, 12}, {"Panel1", 462, 4}, {"Panel13", 500, 12}, {"Panel10", 707, 12},
    {"Panel11", 753, 3},
};

}  // namespace

QColor ToolbarColour() {
  const Colour c = 0x0099CC;
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

SpeedButton::SpeedButton(QWidget* parent) : QToolButton(parent) {
  setAutoRaise(false);
  // Reached with Tab and pressed with Space, but a mouse click leaves the focus where it was.
  setFocusPolicy(Qt::TabFocus);
}

void SpeedButton::mousePressEvent(QMouseEvent* event) {
  emit mouseDown(event->button());
  QToolButton::mousePressEvent(event);
}

void SpeedButton::contextMenuEvent(QContextMenuEvent* event) {
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

void BuildToolbar(TForm1& form) {
  auto* bar = new ToolBarStrip(&form);
  bar->setObjectName("ToolBar1");
  bar->setGeometry(0, 0, 795, kToolbarHeight);
  form.ToolBar1 = bar;

  for (const SpacerSpec& s : kSpacers) {
    MakeStrip(bar, s.name, QRect(s.x, kItemTop, s.width, kItemHeight));
  }
  for (const ButtonSpec& b : kButtons) {
    auto* button = new SpeedButton(bar);
    button->setObjectName(b.name);
    button->setGeometry(b.x, kItemTop, kButtonWidth, kItemHeight);
    button->setIcon(GlyphIcon(b.glyph));
    button->setIconSize(GlyphSize(b.glyph));
    const QString hint = QString::fromUtf8(b.hint);
    button->setAccessibleName(hint.isEmpty() ? QStringLiteral("Stop") : hint);
    QString tip = hint;
    if (!tip.isEmpty() && b.key != QKeyCombination()) {
      tip += QStringLiteral(" (%1)").arg(QKeySequence(b.key).toString(QKeySequence::NativeText));
    }
    button->setToolTip(tip);
    button->setCheckable(b.toggle);
    button->setEnabled(b.enabledAtStart);
    form.*b.member = button;
    if (b.key != QKeyCombination()) {
      auto* key = new QAction(&form);
      key->setObjectName(QString::fromUtf8(b.name) + QStringLiteral("Key"));
      key->setShortcut(b.key);
      form.addAction(key);
      // A key is a click on its button: nothing while the button is disabled, otherwise its
      // click handler with the same refusal while Process runs.
      QObject::connect(key, &QAction::triggered, button, &QAbstractButton::click);
    }
  }

  form.ComboBox1 = new RetainedColorList(bar);
  form.ComboBox1->setObjectName("ComboBox1");
  form.ComboBox1->setGeometry(317, kItemTop, 145, 22);
  form.ComboBox1->setToolTip("Retained Colors");
  form.ComboBox1->setAccessibleName("Retained Colors");
  form.ComboBox1->setMaxVisibleItems(30);

  form.Gauge1 = new Gauge(bar);
  form.Gauge1->setObjectName("Gauge1");
  form.Gauge1->setGeometry(512, kItemTop, 195, kItemHeight);

  // Tab goes left to right, as the items stand.
  QWidget* order[] = {form.SpeedButton2,  form.SpeedButton5, form.SpeedButton10, form.SpeedButton1,
                      form.SpeedButton11, form.SpeedButton4, form.SpeedButton12, form.SpeedButton3,
                      form.ComboBox1,     form.SpeedButton9, form.SpeedButton6,  form.SpeedButton7};
  for (std::size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

}  // namespace huesift
