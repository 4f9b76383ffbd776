// SPDX-License-Identifier: GPL-3.0-or-later
#include "colours/colour_box.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <algorithm>

#include "colours/colour_names.h"
#include "colours/swatch.h"
#include "engine/working_state.h"
#include "platform/contrast.h"

namespace huesift {

CandidateList::CandidateList(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new SwatchDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void CandidateList::appendColour(Colour c) {
  auto* entry = new QListWidgetItem(QString::fromStdString(ColourText(c)), this);
  entry->setToolTip(HexText(c));
  entry->setData(Qt::AccessibleTextRole, AccessibleColourName(c));
}

Colour CandidateList::colourAt(int row) const {
  const QListWidgetItem* entry = item(row);
  return entry ? ColourFromText(entry->text().toStdString()) : kNoColour;
}

// Only the left button chooses; other presses on the list are swallowed so that they do not
// reach the box underneath and start a drag.
void CandidateList::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return event->accept();
  QListWidget::mousePressEvent(event);
  pressedRow_ = currentRow();
  if (itemAt(event->position().toPoint())) emit chosen();
}

// With the button held the selection follows the pointer; the entry it ends on when the
// button comes up is a choice too, else it would stand selected without being retained.
void CandidateList::mouseReleaseEvent(QMouseEvent* event) {
  QListWidget::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && currentRow() >= 0 && currentRow() != pressedRow_)
    emit chosen();
}

void CandidateList::keyPressEvent(QKeyEvent* event) {
  const int before = currentRow();
  QListWidget::keyPressEvent(event);
  if (currentRow() != before && currentRow() >= 0) emit chosen();
}

namespace {

// A key of the box: live in the whole window while the box is shown, dead while it is hidden.
QAction* MakeKey(ColourBox* box, const char* name, const QKeySequence& key) {
  auto* action = new QAction(box);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(key);
  action->setShortcutContext(Qt::WindowShortcut);
  box->addAction(action);
  return action;
}

QString WithKey(const QString& tip, const QAction* key) {
  return QStringLiteral("%1 (%2)").arg(tip, key->shortcut().toString(QKeySequence::NativeText));
}

}  // namespace

ColourBox::ColourBox(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);

  titleLabel = new QLabel(tr("Retain which color?"), this);
  titleLabel->setObjectName(QStringLiteral("titleLabel"));
  QFont titleFont(QStringLiteral("MS Sans Serif"));
  titleFont.setPixelSize(11);
  titleLabel->setFont(titleFont);
  titleLabel->installEventFilter(this);

  retainAllButton = new QToolButton(this);
  retainAllButton->setObjectName(QStringLiteral("retainAllButton"));
  retainAllButton->setText(tr("Retain All"));
  retainAllButton->setFont(titleFont);

  closeButton = new QToolButton(this);
  closeButton->setObjectName(QStringLiteral("closeButton"));
  closeButton->setText(QStringLiteral("X"));
  closeButton->setAccessibleName(tr("Close"));
  QFont xFont(QStringLiteral("Small Fonts"));
  xFont.setPixelSize(8);
  xFont.setBold(true);
  closeButton->setFont(xFont);
  colourTitle();

  retainAllKey = MakeKey(this, "retainAllKey", QKeySequence::SelectAll);
  closeKey = MakeKey(this, "closeKey", QKeySequence(Qt::Key_Escape));
  retainAllButton->setToolTip(WithKey(tr("Retain every color in the box"), retainAllKey));
  closeButton->setToolTip(WithKey(tr("Close"), closeKey));

  candidateList = new CandidateList(this);
  candidateList->setObjectName(QStringLiteral("candidateList"));
  candidateList->setAccessibleName(titleLabel->text());
  candidateList->hide();
  // Its smallest size until it is first opened: measuring the title row would load the fonts,
  // which nothing else the window shows at start needs, and which took a tenth of the time
  // until the window was painted.
  resize(kNarrowest, 142);
  hide();
}

void ColourBox::layOutTitleRow() {
  if (titleRowLaidOut_) return;
  titleRowLaidOut_ = true;
  // The title, "Retain All" after it and the "X" at the right edge. The box is kNarrowest
  // wide, or wider where the title and the button need more in the fonts at hand, and keeps
  // the middle it was placed by.
  const int titleWidth = titleLabel->fontMetrics().horizontalAdvance(titleLabel->text()) + 2;
  const int buttonWidth =
      retainAllButton->fontMetrics().horizontalAdvance(retainAllButton->text()) + 10;
  const int boxWidth = std::max(kNarrowest, 8 + titleWidth + 4 + buttonWidth + 2 + 14 + 3);
  move(x() + width() / 2 - boxWidth / 2, y());
  resize(boxWidth, height());
  titleLabel->setGeometry(8, 3, titleWidth, 13);
  retainAllButton->setGeometry(boxWidth - 19 - buttonWidth, 2, buttonWidth, 15);
  closeButton->setGeometry(boxWidth - 17, 3, 14, 13);
  candidateList->setGeometry(8, 18, boxWidth - 16, 116);
}

void ColourBox::colourTitle() {
  // Text on the button face: at least 4.5:1, the usual minimum for text.
  const QColor blue = ReadableOn(Qt::blue, palette().color(QPalette::Button), 4.5);
  for (QWidget* part : {static_cast<QWidget*>(titleLabel), static_cast<QWidget*>(retainAllButton),
                        static_cast<QWidget*>(closeButton)}) {
    QPalette text = part->palette();
    text.setColor(QPalette::WindowText, blue);
    text.setColor(QPalette::ButtonText, blue);
    part->setPalette(text);
  }
}

void ColourBox::changeEvent(QEvent* event) {
  QFrame::changeEvent(event);
  // Also sent while the box is being built, before its title is there.
  if (event->type() == QEvent::PaletteChange && closeButton) colourTitle();
}

void ColourBox::openFor(int n) {
  layOutTitleRow();
  const int rows = std::min(n, 30);
  resize(width(), 30 + kSwatchRowHeight * rows);
  candidateList->resize(candidateList->width(), 5 + kSwatchRowHeight * rows);
  candidateList->show();
  show();
  raise();
}

// The title is not part of the box's draggable background.
bool ColourBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == titleLabel && event->type() == QEvent::MouseButtonPress) return true;
  return QFrame::eventFilter(watched, event);
}

// Presses that the "X", the list's frame or its scroll bar leave unhandled arrive here too;
// only the box's own background is a grip.
void ColourBox::mousePressEvent(QMouseEvent* event) {
  if (childAt(event->position().toPoint())) return;
  emit mouseDown(event->button(), event->globalPosition().toPoint());
}

void ColourBox::beginDrag(const QPoint& globalPos) {
  dragging_ = true;
  dragOrigin_ = globalPos;
  startPos_ = pos();
}

void ColourBox::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || !parentWidget()) return;
  const QPoint wanted = startPos_ + event->globalPosition().toPoint() - dragOrigin_;
  const QRect client = parentWidget()->rect();
  move(std::clamp(wanted.x(), 0, std::max(0, client.width() - width())),
       std::clamp(wanted.y(), 0, std::max(0, client.height() - height())));
}

void ColourBox::mouseReleaseEvent(QMouseEvent*) {
  dragging_ = false;
}

}  // namespace huesift
